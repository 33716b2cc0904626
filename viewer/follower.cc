#include "follower.h"

#include <cstdio>
#include <utility>

#include "last_lines.h"

namespace vp = viewer_platform;

namespace {

constexpr std::size_t kBlockSize = std::size_t{64} * 1024;

// Opens the file at path and tells which file it is; kNoFile when either fails.
vp::FileHandle OpenIdentified(const std::string& path, vp::FileId& id) {
  const vp::FileHandle file = vp::OpenForReading(path);
  if (file != vp::kNoFile && !vp::IdentifyOpen(file, id)) {
    vp::Close(file);
    return vp::kNoFile;
  }
  return file;
}

}  // namespace

Follower::Follower(const char* name, std::string path, OutputSink& out)
    : name_(name), path_(std::move(path)), buffer_(kBlockSize), out_(out) {}

Follower::~Follower() { CloseFile(); }

int Follower::Run(const ShowOptions& options) {
  if (!Open()) {
    return 1;
  }
  if (const auto today = LocalToday(); today && options.follow && options.rollover) {
    rollover_ = DayRollover::ForLog(name_, path_, *today);
  }
  // Watching begins before the first lines are shown, so a change made just after them is not missed.
  if (options.follow) {
    vp::WatchForChanges(path_);
  }
  Step step = ShowLastLines(options);
  if (!options.follow) {
    return step == Step::kFail ? 1 : 0;
  }
  while ((step == Step::kWait || step == Step::kRecheck) && !vp::StopRequested()) {
    if (step == Step::kWait) {
      vp::WaitForChange(WaitLimit());
    }
    step = CatchUp();
    if (step == Step::kWait) {
      step = CheckName();
    }
    if (step == Step::kWait) {
      step = CheckRollover();
    }
  }
  return step == Step::kFail ? 1 : 0;
}

bool Follower::Open() {
  file_ = vp::OpenForReading(path_);
  if (file_ == vp::kNoFile || !vp::IdentifyOpen(file_, id_)) {
    Report("cannot open", vp::LastErrorText());
    return false;
  }
  return true;
}

Follower::Step Follower::ShowLastLines(const ShowOptions& options) {
  const std::int64_t size = vp::SizeOf(file_);
  const auto readAt = [this](std::uint64_t offset, std::span<char> into) {
    return vp::ReadAt(file_, offset, into);
  };
  const auto find = options.fromLine ? FindLineStart : FindLastLinesStart;
  const auto start =
      size < 0 ? std::nullopt : find(readAt, static_cast<std::uint64_t>(size), options.lineCount, buffer_);
  if (!start) {
    Report("cannot read", vp::LastErrorText());
    return Step::kFail;
  }
  offset_ = *start;
  return CopyToEnd();
}

Follower::Step Follower::CatchUp() {
  if (file_ == vp::kNoFile) {
    return Step::kWait;
  }
  const std::int64_t size = vp::SizeOf(file_);
  if (size >= 0 && static_cast<std::uint64_t>(size) < offset_) {
    Report("file truncated; following from its new start");
    offset_ = 0;
  }
  return CopyToEnd();
}

Follower::Step Follower::CopyToEnd() {
  while (!vp::StopRequested()) {
    const std::ptrdiff_t count = vp::ReadAt(file_, offset_, buffer_);
    if (count == 0) {
      return Step::kWait;
    }
    if (count < 0) {
      Report("cannot read", vp::LastErrorText());
      return Step::kFail;
    }
    switch (out_.Write({buffer_.data(), static_cast<std::size_t>(count)})) {
      case vp::WriteResult::kWritten:
        offset_ += static_cast<std::uint64_t>(count);
        break;
      case vp::WriteResult::kOutputGone:
      case vp::WriteResult::kStopped:
        return Step::kStop;
      case vp::WriteResult::kFailed:
        Report("cannot write output", vp::LastErrorText());
        return Step::kFail;
    }
  }
  return Step::kStop;
}

// Looks at what the name stands for now: the same file, nothing, or a new file to switch to.
Follower::Step Follower::CheckName() {
  vp::FileId named;
  if (!vp::IdentifyPath(path_, named)) {
    // Where an open file holds a deleted name, letting go of it lets the writer create it anew.
    if (file_ != vp::kNoFile && vp::OpenFileHoldsDeletedName()) {
      const Step step = CopyToEnd();
      CloseFile();
      return step;
    }
    return Step::kWait;
  }
  if (file_ != vp::kNoFile && named == id_) {
    return Step::kWait;
  }
  vp::FileId nextId;
  const vp::FileHandle next = OpenIdentified(path_, nextId);
  if (next == vp::kNoFile) {
    return Step::kWait;
  }
  if (file_ != vp::kNoFile && nextId == id_) {
    vp::Close(next);
    return Step::kWait;
  }
  return Adopt(next, nextId, nextId != id_ ? name_ + ": file replaced; following the new file" : "");
}

// Once the followed log's day has passed, switches to the latest later day's log that exists.
Follower::Step Follower::CheckRollover() {
  const auto today = rollover_ ? LocalToday() : std::nullopt;
  if (!today) {
    return Step::kWait;
  }
  const auto nextLog = rollover_->FindNext(*today, [](const std::string& path) {
    vp::FileId ignored;
    return vp::IdentifyPath(path, ignored);
  });
  if (!nextLog) {
    return Step::kWait;
  }
  vp::FileId nextId;
  const vp::FileHandle next = OpenIdentified(nextLog->path, nextId);
  if (next == vp::kNoFile) {
    return Step::kWait;
  }
  const std::string announcement = name_ + ": a new day began; following " + nextLog->name;
  name_ = nextLog->name;
  path_ = nextLog->path;
  rollover_->Follow(*nextLog);
  return Adopt(next, nextId, announcement);
}

// While a day's log may roll over, waiting ends at the next local midnight.
int Follower::WaitLimit() const { return rollover_ ? MillisecondsToNextMidnight() : -1; }

Follower::Step Follower::Adopt(vp::FileHandle next, const vp::FileId& nextId,
                               const std::string& announcement) {
  if (file_ != vp::kNoFile) {
    const Step finished = CopyToEnd();
    if (finished != Step::kWait) {
      vp::Close(next);
      return finished;
    }
  }
  CloseFile();
  file_ = next;
  if (nextId != id_) {
    id_ = nextId;
    offset_ = 0;
  }
  if (!announcement.empty()) {
    std::fprintf(stderr, "cmdtail: %s\n", announcement.c_str());
  }
  vp::WatchForChanges(path_);
  return Step::kRecheck;
}

void Follower::CloseFile() {
  if (file_ != vp::kNoFile) {
    vp::Close(file_);
    file_ = vp::kNoFile;
  }
}

void Follower::Report(const char* what, const std::string& detail) const {
  if (detail.empty()) {
    std::fprintf(stderr, "cmdtail: %s: %s\n", name_.c_str(), what);
  } else {
    std::fprintf(stderr, "cmdtail: %s %s: %s\n", what, name_.c_str(), detail.c_str());
  }
}

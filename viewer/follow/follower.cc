#include "follow/follower.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "follow/last_lines.h"

namespace vp = viewer_platform;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBlockSize = std::size_t{64} * 1024;

}  // namespace

Follower::Follower(const char* name, std::string path, const char* encoding, FileOutput& out,
                   vp::ChangeWaiter& waiter)
    : name_(name),
      path_(std::move(path)),
      askedEncoding_(encoding),
      storage_(std::make_unique_for_overwrite<char[]>(kBlockSize)),
      buffer_(storage_.get(), kBlockSize),
      out_(out),
      waiter_(waiter),
      watchKey_(waiter.Add()) {}

Follower::~Follower() {
  CloseFile();
  if (retiring_.file != vp::kNoFile) {
    vp::Close(retiring_.file);
  }
}

bool Follower::Open() {
  file_ = vp::OpenForReading(path_);
  // The reason is read before any other call on the handle, which would replace it. Only a named file
  // read at offsets is identified: its name can come to stand for another file.
  if (file_ == vp::kNoFile ||
      (path_ != vp::kStandardInputName && vp::CanSeek(file_) && !vp::IdentifyOpen(file_, id_))) {
    if (!vp::StopRequested()) {
      Report("cannot open", vp::LastErrorText());
    }
    return false;
  }
  return true;
}

Follower::Step Follower::ShowLastLines(const ShowOptions& options) {
  if (const auto today = LocalToday(); today && options.follow && options.rollover) {
    rollover_ = DayRollover::ForLog(name_, path_, *today);
  }
  if (options.follow) {
    // Before the first read, so that no change after it goes unnoticed.
    Watch();
  }
  const std::int64_t size = vp::SizeOf(file_);
  if (size >= 0 && !BeginText(options.follow)) {
    // Too short yet to tell its encoding: shown once it can be told.
    return Step::kWait;
  }
  const auto readAt = [this](std::uint64_t offset, std::span<char> into) {
    // A stop ends the search between blocks, however far back it goes.
    return vp::StopRequested() ? std::ptrdiff_t{-1} : vp::ReadAt(file_, offset, into);
  };
  std::optional<std::uint64_t> start;
  if (size >= 0 && options.fromLine) {
    start = FindLineStart(readAt, static_cast<std::uint64_t>(size), options.lineCount, buffer_, lineEnds_);
  } else if (size >= 0 && out_.Filters()) {
    // The last lines shown, as the filter passes them.
    start = FindLastShownLinesStart(readAt, static_cast<std::uint64_t>(size), options.lineCount, buffer_,
                                    lineEnds_, out_.ShownLines());
  } else if (size >= 0) {
    start =
        FindLastLinesStart(readAt, static_cast<std::uint64_t>(size), options.lineCount, buffer_, lineEnds_);
  }
  if (!start) {
    if (vp::StopRequested()) {
      return Step::kStop;
    }
    Report("cannot read", vp::LastErrorText());
    return Step::kFail;
  }
  offset_ = std::max(offset_, *start);
  return CopyToEnd(file_, offset_);
}

bool Follower::BeginText(bool more) {
  std::array<char, kLongestByteOrderMark> start{};
  const std::ptrdiff_t count = vp::ReadAt(file_, 0, start);
  const std::optional<TextEncoding> encoding = EncodingOfText(
      askedEncoding_, std::span(start).first(count > 0 ? static_cast<std::size_t>(count) : 0), more);
  if (!encoding) {
    return false;
  }
  UseEncoding(*encoding);
  offset_ = std::max<std::uint64_t>(offset_, encoding->markLength);
  return true;
}

void Follower::UseEncoding(const TextEncoding& encoding) {
  if (!out_.Begin(encoding.name)) {
    out_.Begin(nullptr);
  }
  lineEnds_ = encoding.lineEnds;
  textBegun_ = true;
}

Follower::Step Follower::Check() {
  const Step step = CheckName();
  return step == Step::kWait ? CheckRollover() : step;
}

Follower::Step Follower::Write(std::span<const char> bytes) { return Written(out_.Write(bytes)); }

// Ends one file's bytes on their way out, as the next bytes come from another file or another start.
Follower::Step Follower::EndOfFile() { return Written(out_.EndOfFile()); }

Follower::Step Follower::Written(vp::WriteResult result) {
  switch (result) {
    case vp::WriteResult::kWritten:
      return Step::kWait;
    case vp::WriteResult::kOutputGone:
    case vp::WriteResult::kStopped:
      return Step::kStop;
    case vp::WriteResult::kFailed:
      break;
  }
  std::fprintf(stderr, "cmdtail: cannot write standard output: %s\n", vp::LastErrorText().c_str());
  return Step::kOutputFailed;
}

Follower::Step Follower::CatchUp() {
  const Step retiring = CatchUpRetiring();
  if (retiring != Step::kWait || file_ == vp::kNoFile) {
    return retiring;
  }
  const std::int64_t size = vp::SizeOf(file_);
  if (size >= 0 && static_cast<std::uint64_t>(size) < offset_) {
    const Step ended = EndOfFile();
    if (ended != Step::kWait) {
      return ended;
    }
    Report("file truncated; following from its new start");
    offset_ = 0;
    textBegun_ = false;
  }
  if (!textBegun_ && !BeginText(true)) {
    return Step::kWait;
  }
  return CopyToEnd(file_, offset_);
}

Follower::Step Follower::CopyToEnd(vp::FileHandle file, std::uint64_t& offset,
                                   std::optional<LineEnds> wholeLines) {
  while (!vp::StopRequested()) {
    std::ptrdiff_t count = vp::ReadAt(file, offset, buffer_);
    if (count < 0) {
      Report("cannot read", vp::LastErrorText());
      return Step::kFail;
    }
    if (wholeLines) {
      count = WholeLinesIn(count, offset, *wholeLines);
    }
    if (count == 0) {
      return Step::kWait;
    }
    const Step written = Write({buffer_.data(), static_cast<std::size_t>(count)});
    if (written != Step::kWait) {
      return written;
    }
    offset += static_cast<std::uint64_t>(count);
  }
  return Step::kStop;
}

// The bytes up to the last line end among the first `count` of the buffer, read at `offset`; all of
// them when the buffer is full, as a line longer than the buffer is shown in pieces anyway.
std::ptrdiff_t Follower::WholeLinesIn(std::ptrdiff_t count, std::uint64_t offset, LineEnds ends) const {
  const auto length = static_cast<std::size_t>(count);
  if (length == buffer_.size()) {
    return count;
  }
  // Line ends lie at offsets that are multiples of their width from the file's start.
  const std::size_t skew = std::min<std::size_t>((ends.width - offset % ends.width) % ends.width, length);
  const std::size_t whole = ends.WholeLines(buffer_.subspan(skew, length - skew));
  return whole == 0 ? 0 : static_cast<std::ptrdiff_t>(skew + whole);
}

void Follower::Watch() {
  std::array<vp::FileHandle, 2> open{};
  std::size_t count = 0;
  for (const vp::FileHandle file : {file_, retiring_.file}) {
    if (file != vp::kNoFile) {
      open.at(count++) = file;
    }
  }
  waiter_.Watch(watchKey_, path_, std::span(open).first(count));
}

// Until the retiring file's time is up, and, while a day's log may roll over, the next local midnight;
// otherwise no limit.
int Follower::WaitLimit() const {
  int limit = rollover_ ? MillisecondsToNextMidnight() : -1;
  if (retiring_.file != vp::kNoFile) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(retiring_.until - Clock::now());
    const int retiring =
        static_cast<int>(std::clamp(left, std::chrono::milliseconds{0}, kRetireAfter).count());
    limit = limit < 0 ? retiring : std::min(limit, retiring);
  }
  return limit;
}

void Follower::CloseFile() {
  if (file_ != vp::kNoFile) {
    vp::Close(file_);
    file_ = vp::kNoFile;
  }
}

void Follower::Report(const char* what, const std::string& detail) const {
  if (detail.empty()) {
    std::fprintf(stderr, "cmdtail: %s: %s\n", ShownName().c_str(), what);
  } else {
    std::fprintf(stderr, "cmdtail: %s %s: %s\n", what, ShownName().c_str(), detail.c_str());
  }
}

std::string Follower::ShownName() const { return path_ == vp::kStandardInputName ? "standard input" : name_; }

// Following the name: finding what it stands for now, and switching files, the day's rollover included.
#include <cstdio>

#include "follow/follower.h"

namespace vp = viewer_platform;

namespace {

using Clock = std::chrono::steady_clock;

// Opens a file that can be read at offsets and tells which file it is; kNoFile when any of it fails.
vp::FileHandle OpenIdentified(const std::string& path, vp::FileId& id) {
  const vp::FileHandle file = vp::OpenForReading(path);
  if (file != vp::kNoFile && (!vp::IdentifyOpen(file, id) || !vp::CanSeek(file))) {
    vp::Close(file);
    return vp::kNoFile;
  }
  return file;
}

}  // namespace

Follower::Step Follower::CatchUpRetiring() {
  if (retiring_.file == vp::kNoFile) {
    return Step::kWait;
  }
  if (Clock::now() >= retiring_.until) {
    return CloseRetiring();
  }
  return CopyToEnd(retiring_.file, retiring_.offset, retiring_.lineEnds);
}

// Looks at what the name stands for now: the same file, nothing, or a new file to switch to. A name
// that leads nowhere, or to a file that cannot be opened yet, is looked at again after the next change.
Follower::Step Follower::CheckName() {
  if (path_ == vp::kStandardInputName) {
    return Step::kWait;
  }
  vp::FileId named;
  if (!vp::IdentifyPath(path_, named)) {
    // A renamed file is followed on until a new one takes the name; a deleted one is let go.
    return file_ != vp::kNoFile && vp::IsDeleted(file_) ? Retire() : Step::kWait;
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
  return Adopt(next, nextId, ShownName() + ": file replaced; following the new file");
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
  out_.Rename(name_);
  rollover_->Follow(*nextLog);
  return Adopt(next, nextId, announcement);
}

Follower::Step Follower::Adopt(vp::FileHandle next, const vp::FileId& nextId,
                               const std::string& announcement) {
  const Step retired = file_ != vp::kNoFile ? Retire() : Step::kWait;
  const Step ended = retired == Step::kWait ? EndOfFile() : retired;
  if (ended != Step::kWait) {
    vp::Close(next);
    return ended;
  }
  file_ = next;
  id_ = nextId;
  offset_ = 0;
  textBegun_ = false;
  std::fprintf(stderr, "cmdtail: %s\n", announcement.c_str());
  Watch();
  return Step::kRecheck;
}

// Lets go of the followed file once read to its end. It is still read for a while, for what its
// writer adds before reopening the name, unless it is deleted where that keeps the name taken. Until
// it is closed only whole lines are shown from it, so that they do not mix with the next file's.
Follower::Step Follower::Retire() {
  const bool closeNow = vp::OpenFileHoldsDeletedName() && vp::IsDeleted(file_);
  Step step = closeNow ? CopyToEnd(file_, offset_) : CopyToEnd(file_, offset_, lineEnds_);
  if (step == Step::kWait) {
    step = CloseRetiring();
  }
  if (step != Step::kWait) {
    return step;
  }
  if (closeNow) {
    CloseFile();
  } else {
    retiring_ = {file_, offset_, lineEnds_, Clock::now() + kRetireAfter};
    file_ = vp::kNoFile;
  }
  id_ = {};
  offset_ = 0;
  Watch();
  return Step::kWait;
}

Follower::Step Follower::CloseRetiring() {
  if (retiring_.file == vp::kNoFile) {
    return Step::kWait;
  }
  const Step step = CopyToEnd(retiring_.file, retiring_.offset);
  vp::Close(retiring_.file);
  retiring_ = {};
  Watch();
  return step;
}

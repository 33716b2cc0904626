#include "follow/follower.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "follow/last_lines.h"
#include "output/messages.h"
#include "platform/descriptor_reserve.h"
#include "platform/files.h"
#include "platform/stop.h"
#include "platform/wait.h"
#include "text/byte_order_mark.h"

namespace vp = viewer_platform;

namespace {

constexpr std::size_t kBlockSize = std::size_t{64} * 1024;
// How often a file that could not be opened for want of descriptors is tried again.
constexpr int kReopenMilliseconds = 1000;

// Opens a file that can be read at offsets and tells which file it is; kNoFile when any of it fails.
vp::FileHandle OpenIdentified(const std::string& path, vp::FileId& id) {
  const vp::FileHandle file = vp::OpenAgainForReading(path);
  if (file != vp::kNoFile && (!vp::IdentifyOpen(file, id) || !vp::CanSeek(file))) {
    vp::Close(file);
    return vp::kNoFile;
  }
  return file;
}

// The earlier of two limits of a wait in milliseconds, negative for none.
int EarlierLimit(int one, int other) { return one < 0 ? other : other < 0 ? one : std::min(one, other); }

}  // namespace

Follower::Follower(std::string& name, std::string path, const char* encoding, FileOutput& out,
                   vp::ChangeWaiter& waiter, vp::FileHandle file, const vp::FileId& id)
    : name_(name),
      path_(std::move(path)),
      askedEncoding_(encoding),
      file_{.file = file, .offset = 0, .lineEnds = {}},
      id_(id),
      storage_(std::make_unique_for_overwrite<char[]>(kBlockSize)),
      block_(storage_.get(), kBlockSize),
      out_(out),
      retired_(block_, out_, name_),
      waiter_(waiter),
      watchKey_(waiter.Add()) {}

Follower::~Follower() { CloseFile(); }

Step Follower::ShowLastLines(const ShowOptions& options) {
  const Step step = ShowStart(options);
  if (options.follow) {
    out_.StartShown();
  }
  return step;
}

Step Follower::ShowStart(const ShowOptions& options) {
  if (const auto today = LocalToday(); today && options.follow && options.rollover) {
    rollover_ = DayRollover::ForLog(name_, path_, *today);
  }
  if (options.follow) {
    // Before the first read, so that no change after it goes unnoticed.
    Watch();
  }
  const std::int64_t size = vp::SizeOf(file_.file);
  if (size >= 0 && !BeginText(options.follow)) {
    // Too short yet to tell its encoding: shown once it can be told.
    return Step::kWait;
  }
  const auto readAt = [this](std::uint64_t offset, std::span<char> into) {
    // A stop ends the search between blocks, however far back it goes.
    return vp::StopRequested() ? std::ptrdiff_t{-1} : vp::ReadAt(file_.file, offset, into);
  };
  const auto end = static_cast<std::uint64_t>(size);
  std::optional<std::uint64_t> start;
  if (size >= 0 && options.fromLine) {
    start = FindLineStart(readAt, end, options.lineCount, block_, file_.lineEnds);
  } else if (size >= 0 && out_.Filters()) {
    // The last lines shown, as the filter passes them.
    start =
        FindLastShownLinesStart(readAt, end, options.lineCount, block_, file_.lineEnds, out_.ShownLines());
  } else if (size >= 0) {
    start = FindLastLinesStart(readAt, end, options.lineCount, block_, file_.lineEnds);
  }
  if (!start) {
    if (vp::StopRequested()) {
      return Step::kStop;
    }
    Report(name_, "cannot read", vp::LastErrorText());
    return Step::kFail;
  }
  file_.offset = std::max(file_.offset, *start);
  // When following, what is appended meanwhile comes after the start, as the following's first lines.
  return ShowToEnd(file_, false, block_, out_, name_,
                   options.follow ? end : std::numeric_limits<std::uint64_t>::max());
}

bool Follower::BeginText(bool more) {
  std::array<char, kLongestByteOrderMark> start{};
  const std::ptrdiff_t count = vp::ReadAt(file_.file, 0, start);
  const std::optional<TextEncoding> encoding = EncodingOfText(
      askedEncoding_, std::span(start).first(count > 0 ? static_cast<std::size_t>(count) : 0), more);
  if (!encoding) {
    return false;
  }
  out_.BeginText(*encoding);
  file_.lineEnds = encoding->lineEnds;
  textBegun_ = true;
  file_.offset = std::max<std::uint64_t>(file_.offset, encoding->markLength);
  return true;
}

Step Follower::Check() {
  const Step step = CheckName();
  return step == Step::kWait ? CheckRollover() : step;
}

Step Follower::CatchUp() {
  const Step retired = CatchUpRetired();
  if (retired != Step::kWait || file_.file == vp::kNoFile) {
    return retired;
  }
  const std::int64_t size = vp::SizeOf(file_.file);
  if (size >= 0 && static_cast<std::uint64_t>(size) < file_.offset) {
    // What comes next starts another text, which nothing of the old may join.
    const Step ended = StepAfterWrite(out_.EndOfFile());
    if (ended != Step::kWait) {
      return ended;
    }
    Report(name_, "file truncated; following from its new start");
    file_.offset = 0;
    textBegun_ = false;
  }
  if (!textBegun_ && !BeginText(true)) {
    return Step::kWait;
  }
  return ShowToEnd(file_, false, block_, out_, name_);
}

// Until the retired file's time is up, while a day's log may roll over the next local midnight, and
// while a new file could not be opened for want of descriptors the next try; otherwise no limit.
int Follower::WaitLimit() const {
  const int midnight = rollover_ ? MillisecondsToNextMidnight() : -1;
  return EarlierLimit(EarlierLimit(midnight, retired_.MillisecondsLeft()),
                      unopened_ ? kReopenMilliseconds : -1);
}

// Looks at what the name stands for now: the same file, nothing, or a new file to switch to. A name
// that leads nowhere, or to a file that cannot be opened yet, is looked at again after the next change.
Step Follower::CheckName() {
  if (path_ == vp::kStandardInputName) {
    return Step::kWait;
  }
  vp::FileId named;
  if (!vp::IdentifyPath(path_, named)) {
    // A renamed file is followed on until a new one takes the name; a deleted one is let go.
    return file_.file != vp::kNoFile && vp::IsDeleted(file_.file) ? Retire() : Step::kWait;
  }
  if (file_.file != vp::kNoFile && named == id_) {
    unopened_ = false;
    return Step::kWait;
  }
  vp::FileId nextId;
  const vp::FileHandle next = OpenIdentified(path_, nextId);
  if (next == vp::kNoFile) {
    return NotOpened(name_);
  }
  if (file_.file != vp::kNoFile && nextId == id_) {
    vp::Close(next);
    return Step::kWait;
  }
  return Adopt(next, nextId, "file replaced; following the new file");
}

// Once the followed log's day has passed, switches to the latest later day's log that exists.
Step Follower::CheckRollover() {
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
    return NotOpened(nextLog->name);
  }
  return Adopt(next, nextId, "a new day began; following " + nextLog->name, &*nextLog);
}

// A file that cannot be opened yet for lack of permission is tried again when its attributes change;
// one that cannot be opened for want of descriptors is said once and tried again every second.
Step Follower::NotOpened(const std::string& shownName) {
  if (!vp::OutOfDescriptors()) {
    return Step::kWait;
  }
  if (!std::exchange(unopened_, true)) {
    Report(shownName, "cannot open", vp::LastErrorText());
  }
  return Step::kNotReopened;
}

Step Follower::Adopt(vp::FileHandle next, const vp::FileId& nextId, const std::string& what,
                     const DayLog* nextLog) {
  unopened_ = false;
  const Step retired = file_.file != vp::kNoFile ? Retire() : Step::kWait;
  const Step ended = retired == Step::kWait ? StepAfterWrite(out_.EndOfFile()) : retired;
  if (ended != Step::kWait) {
    vp::Close(next);
    return ended;
  }
  file_.file = next;
  file_.offset = 0;
  id_ = nextId;
  textBegun_ = false;
  Report(name_, what.c_str());
  if (nextLog != nullptr) {
    // From here on the file is shown under the new day's name, its header too.
    name_ = nextLog->name;
    path_ = nextLog->path;
    rollover_->Follow(*nextLog);
  }
  Watch();
  return Step::kRecheck;
}

Step Follower::Retire() {
  const bool closeNow = vp::OpenFileHoldsDeletedName() && vp::IsDeleted(file_.file);
  Step step = ShowToEnd(file_, !closeNow, block_, out_, name_);
  if (step == Step::kWait) {
    step = CloseRetired();
  }
  if (step != Step::kWait) {
    return step;
  }
  if (closeNow) {
    CloseFile();
  } else {
    retired_.Take(file_);
    file_.file = vp::kNoFile;
  }
  id_ = {};
  file_.offset = 0;
  Watch();
  return Step::kWait;
}

Step Follower::CatchUpRetired() {
  const bool open = retired_.IsOpen();
  const Step step = retired_.CatchUp();
  if (open && !retired_.IsOpen()) {
    Watch();
  }
  return step;
}

Step Follower::CloseRetired() {
  if (!retired_.IsOpen()) {
    return Step::kWait;
  }
  const Step step = retired_.Close();
  Watch();
  return step;
}

void Follower::Watch() {
  std::array<vp::FileHandle, 2> open{};
  std::size_t count = 0;
  for (const vp::FileHandle file : {file_.file, retired_.file()}) {
    if (file != vp::kNoFile) {
      open.at(count++) = file;
    }
  }
  waiter_.Watch(watchKey_, path_, std::span(open).first(count));
}

void Follower::CloseFile() {
  if (file_.file != vp::kNoFile) {
    vp::Close(file_.file);
    file_.file = vp::kNoFile;
  }
}

#include "follow/followed_file.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "follow/last_lines.h"
#include "follow/read_block.h"
#include "follow/stream.h"
#include "output/messages.h"
#include "output/shown_lines.h"
#include "platform/descriptor_reserve.h"
#include "platform/files.h"
#include "platform/stop.h"
#include "platform/wait.h"
#include "text/byte_order_mark.h"

namespace {

// How often a file that could not be opened for want of descriptors is tried again.
constexpr int kReopenMilliseconds = 1000;

// Opens a file that can be read at offsets and tells which file it is; kNoFile when any of it fails.
platform::FileHandle OpenIdentified(const std::string& path, platform::FileId& id) {
  const platform::FileHandle file = platform::OpenAgainForReading(path);
  if (file != platform::kNoFile && (!platform::IdentifyOpen(file, id) || !platform::CanSeek(file))) {
    platform::Close(file);
    return platform::kNoFile;
  }
  return file;
}

}  // namespace

FollowedFile::FollowedFile(const char* given, const OutputRun& run, platform::ChangeWaiter& waiter)
    : name_(given == std::string_view(platform::kStandardInputName) ? kStandardInputShownName : given),
      path_(platform::ToNativePath(given)),
      run_(run),
      waiter_(waiter),
      encoding_{run.settings.Encoding(), 0, LineEndsOf(run.settings.Encoding())},
      storage_(std::make_unique_for_overwrite<char[]>(kReadBlockSize)),
      block_(storage_.get(), kReadBlockSize),
      out_(OutputFor(encoding_)),
      retired_(block_) {}

FollowedFile::~FollowedFile() { CloseFile(); }

Step FollowedFile::Record(Step step) {
  step_ = step == Step::kNotReopened ? Step::kWait : step;
  return step;
}

Step FollowedFile::Show(const ShowOptions& options, bool followStream) {
  platform::FileId id;
  const platform::FileHandle opened = OpenToShow(path_, name_, id);
  if (opened == platform::kNoFile) {
    // A stop while waiting to open is a stop like any other.
    return Record(platform::StopRequested() ? Step::kStop : Step::kFail);
  }
  if (platform::CanSeek(opened)) {
    file_.file = opened;
    id_ = id;
    return Record(ShowSeekable(options));
  }
  ShowOptions shown = options;
  shown.follow = followStream;
  Step step = StepAfterWrite(run_.shared.SwitchTo(this, name_));
  if (step == Step::kWait) {
    step = ShowStream(opened, shown, run_, this, name_);
  }
  platform::Close(opened);
  out_.reset();
  const bool stopped = step != Step::kOutputFailed && (platform::StopRequested() || platform::OutputGone());
  return Record(stopped ? Step::kStop : step);
}

Step FollowedFile::ShowSeekable(const ShowOptions& options) {
  watchKey_ = waiter_.Add();
  const Step announced = StepAfterWrite(run_.shared.SwitchTo(this, name_));
  if (announced != Step::kWait) {
    return announced;
  }
  const Step step = ShowStart(options);
  if (options.follow) {
    startShown_ = true;
    out_->StartAlerting();
    return step;
  }
  if (step != Step::kWait) {
    return step;
  }
  // A file not followed ends its output here: what its stages hold back (an unfinished last line) comes
  // out under its own header, before the next file's part.
  return StepAfterWrite(out_->EndOfFile());
}

Step FollowedFile::ShowStart(const ShowOptions& options) {
  if (const auto today = LocalToday(); today && options.follow && options.rollover) {
    rollover_ = DayRollover::ForLog(name_, path_, *today);
  }
  if (options.follow) {
    // Before the first read, so that no change after it goes unnoticed.
    Watch();
  }
  const std::int64_t size = platform::SizeOf(file_.file);
  if (size >= 0 && !BeginText(options.follow)) {
    // Too short yet to tell its encoding: shown once it can be told.
    return Step::kWait;
  }
  const auto readAt = [this](std::uint64_t offset, std::span<char> into) {
    // A stop ends the search between blocks, however far back it goes.
    return platform::StopRequested() ? std::ptrdiff_t{-1} : platform::ReadAt(file_.file, offset, into);
  };
  const auto end = static_cast<std::uint64_t>(size);
  const std::uint64_t until = options.follow ? end : std::numeric_limits<std::uint64_t>::max();
  if (size >= 0 && !options.fromLine && out_->Selects()) {
    return ShowSelectedStart(readAt, end, until, options.lineCount);
  }
  std::optional<std::uint64_t> start;
  if (size >= 0 && options.fromLine) {
    start = FindLineStart(readAt, end, options.lineCount, block_, file_.lineEnds);
  } else if (size >= 0 && run_.settings.Filters()) {
    // The last lines shown, as the filter passes them.
    ShownLines shown(run_.settings, encoding_, run_.shared);
    start =
        FindLastShownLinesStart(readAt, end, options.lineCount, block_, file_.lineEnds, shown.AsFunction());
  } else if (size >= 0) {
    start = FindLastLinesStart(readAt, end, options.lineCount, block_, file_.lineEnds);
  }
  if (!start) {
    return StartUnread();
  }
  file_.offset = std::max(file_.offset, *start);
  // When following, what is appended meanwhile comes after the start, as the following's first lines.
  return ShowToEnd(file_, false, block_, *out_, name_, until);
}

Step FollowedFile::StartUnread() const {
  if (platform::StopRequested()) {
    return Step::kStop;
  }
  Report(name_, "cannot read", platform::LastErrorText());
  return Step::kFail;
}

// The last records that the output's selection shows, as it decides them going forward: the text is read
// from a few times as many lines back as are asked for, and again from eight times further back for as
// long as what comes before could still change them, up to its start. Each try reads about as much as
// all those before it, so the whole costs a small multiple of the text the last one reads.
Step FollowedFile::ShowSelectedStart(const ReadAtFunction& readAt, std::uint64_t end, std::uint64_t until,
                                     std::size_t count) {
  // Without following, the text's last record is whole at its end.
  const bool ended = until != end;
  const Selection& selection = run_.settings.selection;
  const std::uint64_t textStart = file_.offset;
  constexpr std::size_t kMostLinesBack = std::numeric_limits<std::size_t>::max() / 8;
  std::size_t linesBack = 4 * std::min(kMostLinesBack / 4, count + selection.before + selection.after + 1);
  for (;;) {
    const std::optional<std::uint64_t> start =
        FindLastLinesStart(readAt, end, linesBack, block_, file_.lineEnds);
    if (!start) {
      return StartUnread();
    }
    file_.offset = std::max(textStart, *start);
    out_ = OutputFor(encoding_);
    out_->KeepLast(count, file_.offset == textStart);
    const Step step = ShowToEnd(file_, false, block_, *out_, name_, until);
    if (step != Step::kWait) {
      return step;
    }
    if (*start <= textStart || out_->KeptExactly()) {
      break;
    }
    linesBack = std::min(kMostLinesBack, linesBack) * 8;
  }
  return StepAfterWrite(out_->ShowKept(ended));
}

std::unique_ptr<TextOutput> FollowedFile::OutputFor(const TextEncoding& encoding) const {
  return std::make_unique<TextOutput>(run_, this, name_, encoding, startShown_);
}

bool FollowedFile::BeginText(bool more) {
  std::array<char, kLongestByteOrderMark> start{};
  const std::ptrdiff_t count = platform::ReadAt(file_.file, 0, start);
  const std::optional<TextEncoding> encoding =
      EncodingOfText(run_.settings.Encoding(),
                     std::span(start).first(count > 0 ? static_cast<std::size_t>(count) : 0), more);
  if (!encoding) {
    return false;
  }
  encoding_ = *encoding;
  out_ = OutputFor(*encoding);
  file_.lineEnds = encoding->lineEnds;
  textBegun_ = true;
  file_.offset = std::max<std::uint64_t>(file_.offset, encoding->markLength);
  return true;
}

// Only what the waits say may have changed is looked at: the name after its directories or its files
// said something, the day after the clock passed midnight or was set.
Step FollowedFile::Check() {
  const bool named = waiter_.NameMayHaveChanged(watchKey_);
  const Step step = named ? CheckName() : Step::kWait;
  const bool rolls = named || waiter_.TimeMayHaveChanged();
  return Record(step == Step::kWait && rolls ? CheckRollover() : step);
}

Step FollowedFile::CatchUp() { return Record(CatchUpText()); }

Step FollowedFile::CatchUpText() {
  const Step retired = CatchUpRetired();
  if (retired != Step::kWait || file_.file == platform::kNoFile) {
    return retired;
  }
  const std::int64_t size = platform::SizeOf(file_.file);
  if (size >= 0 && static_cast<std::uint64_t>(size) < file_.offset) {
    // What comes next starts another text, which nothing of the old may join.
    const Step ended = StepAfterWrite(out_->EndOfFile());
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
  // While the old file is still read, its lines and this one's go out whole, so that neither joins the
  // other's unfinished line.
  return ShowToEnd(file_, retired_.IsOpen(), block_, *out_, name_);
}

Step FollowedFile::Idle() {
  const Step retired = retired_.Idle();
  return Record(retired == Step::kWait ? StepAfterWrite(out_->Idle()) : retired);
}

// The retired file's text is older: it ends first.
Step FollowedFile::End(bool outputFailed) {
  const Step retired = retired_.End(outputFailed);
  const bool failed = outputFailed || retired == Step::kOutputFailed;
  const Step ended = out_ != nullptr ? StepAfterWrite(out_->Finish(failed)) : Step::kWait;
  return retired == Step::kWait ? ended : retired;
}

// Until the retired file's time is up, and while a new file could not be opened for want of descriptors
// the next try; otherwise no limit.
int FollowedFile::WaitLimit() const {
  return platform::EarlierLimit(retired_.MillisecondsLeft(), unopened_ ? kReopenMilliseconds : -1);
}

void FollowedFile::WakeAtMidnight() {
  if (rollover_ && waiter_.TimeMayHaveChanged()) {
    if (const auto midnight = NextLocalMidnight()) {
      waiter_.WakeAt(*midnight);
    }
  }
}

// Looks at what the name stands for now: the same file, nothing, or a new file to switch to. A name
// that leads nowhere, or to a file that cannot be opened yet, is looked at again after the next change.
Step FollowedFile::CheckName() {
  if (path_ == platform::kStandardInputName) {
    return Step::kWait;
  }
  platform::FileId named;
  if (!platform::IdentifyPath(path_, named)) {
    // A renamed file is followed on until a new one takes the name; a deleted one is let go.
    return file_.file != platform::kNoFile && platform::IsDeleted(file_.file) ? Retire() : Step::kWait;
  }
  if (file_.file != platform::kNoFile && named == id_) {
    unopened_ = false;
    return Step::kWait;
  }
  platform::FileId nextId;
  const platform::FileHandle next = OpenIdentified(path_, nextId);
  if (next == platform::kNoFile) {
    return NotOpened(name_);
  }
  if (file_.file != platform::kNoFile && nextId == id_) {
    platform::Close(next);
    return Step::kWait;
  }
  return Adopt(next, nextId, "file replaced; following the new file");
}

// Once the followed log's day has passed, switches to the latest later day's log that exists.
Step FollowedFile::CheckRollover() {
  const auto today = rollover_ ? LocalToday() : std::nullopt;
  if (!today) {
    return Step::kWait;
  }
  const auto nextLog = rollover_->FindNext(*today, [](const std::string& path) {
    platform::FileId ignored;
    return platform::IdentifyPath(path, ignored);
  });
  if (!nextLog) {
    return Step::kWait;
  }
  platform::FileId nextId;
  const platform::FileHandle next = OpenIdentified(nextLog->path, nextId);
  if (next == platform::kNoFile) {
    return NotOpened(nextLog->name);
  }
  return Adopt(next, nextId, "a new day began; following " + nextLog->name, &*nextLog);
}

// A file that cannot be opened yet for lack of permission is tried again when its attributes change;
// one that cannot be opened for want of descriptors is said once and tried again every second.
Step FollowedFile::NotOpened(const std::string& shownName) {
  if (!platform::OutOfDescriptors()) {
    return Step::kWait;
  }
  if (!std::exchange(unopened_, true)) {
    Report(shownName, "cannot open", platform::LastErrorText());
  }
  return Step::kNotReopened;
}

Step FollowedFile::Adopt(platform::FileHandle next, const platform::FileId& nextId, const std::string& what,
                         const DayLog* nextLog) {
  unopened_ = false;
  const Step ended = file_.file != platform::kNoFile ? Retire() : Step::kWait;
  if (ended != Step::kWait) {
    platform::Close(next);
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

Step FollowedFile::Retire() {
  const bool closeNow = platform::OpenFileHoldsDeletedName() && platform::IsDeleted(file_.file);
  Step step = ShowToEnd(file_, !closeNow, block_, *out_, name_);
  if (step == Step::kWait) {
    step = CloseRetired();
  }
  if (step == Step::kWait) {
    // What comes next starts another text, which nothing the old one holds back may join.
    step = StepAfterWrite(out_->EndOfFile());
  }
  if (step != Step::kWait) {
    return step;
  }
  if (closeNow) {
    CloseFile();
  } else {
    retired_.Take(file_, std::exchange(out_, OutputFor(encoding_)));
    file_.file = platform::kNoFile;
  }
  id_ = {};
  file_.offset = 0;
  Watch();
  return Step::kWait;
}

Step FollowedFile::CatchUpRetired() {
  const bool open = retired_.IsOpen();
  const Step step = retired_.CatchUp();
  if (open && !retired_.IsOpen()) {
    Watch();
  }
  return step;
}

Step FollowedFile::CloseRetired() {
  if (!retired_.IsOpen()) {
    return Step::kWait;
  }
  const Step step = retired_.Close();
  Watch();
  return step;
}

void FollowedFile::Watch() {
  std::array<platform::FileHandle, 2> open{};
  std::size_t count = 0;
  for (const platform::FileHandle file : {file_.file, retired_.file()}) {
    if (file != platform::kNoFile) {
      open.at(count++) = file;
    }
  }
  waiter_.Watch(watchKey_, path_, std::span(open).first(count));
}

void FollowedFile::CloseFile() {
  if (file_.file != platform::kNoFile) {
    platform::Close(file_.file);
    file_.file = platform::kNoFile;
  }
}

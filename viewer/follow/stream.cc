#include "follow/stream.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "follow/kept_lines.h"
#include "follow/read_block.h"
#include "output/messages.h"
#include "output/shown_lines.h"
#include "platform/files.h"
#include "platform/output.h"
#include "platform/stop.h"
#include "text/byte_order_mark.h"

namespace {

// While following a stream, its last lines are those that have arrived when it first pauses this long.
constexpr int kStreamPauseMilliseconds = 100;

// Passes over a stream's first lines, whose line ends a read may cut in two (UTF-16's two bytes).
class LineSkipper {
 public:
  LineSkipper(std::size_t lines, const LineEnds& ends) : lines_(lines), ends_(ends) {}

  // What is left of the next bytes once the lines are passed over; empty while they are not yet.
  std::span<const char> After(std::span<const char> bytes) {
    if (lines_ > 0 && held_ > 0 && !bytes.empty()) {
      // The rest of a unit cut by the last read.
      const std::size_t taken = std::min(ends_.width - held_, bytes.size());
      std::copy_n(bytes.begin(), taken, unit_.begin() + static_cast<std::ptrdiff_t>(held_));
      bytes = bytes.subspan(taken);
      held_ += taken;
      if (held_ < ends_.width) {
        return {};
      }
      held_ = 0;
      lines_ -= ends_.At(unit_, 0) ? 1 : 0;
    }
    while (lines_ > 0 && !bytes.empty()) {
      const std::size_t lineEnd = ends_.Next(bytes, 0);
      if (lineEnd + ends_.width > bytes.size()) {
        held_ = bytes.size() % ends_.width;
        std::copy_n(bytes.end() - static_cast<std::ptrdiff_t>(held_), held_, unit_.begin());
        return {};
      }
      bytes = bytes.subspan(lineEnd + ends_.width);
      --lines_;
    }
    return lines_ > 0 ? std::span<const char>() : bytes;
  }

 private:
  std::size_t lines_;
  LineEnds ends_;
  std::array<char, 4> unit_{};
  std::size_t held_ = 0;
};

// One stream's showing, from its first bytes to its end.
class StreamShow {
 public:
  StreamShow(platform::FileHandle stream, const OutputRun& run, const void* file, const std::string& name)
      : stream_(stream),
        run_(run),
        file_(file),
        name_(name),
        storage_(std::make_unique_for_overwrite<char[]>(kReadBlockSize)),
        block_(storage_.get(), kReadBlockSize) {}

  Step Show(const ShowOptions& options);
  // Shows what the output still holds back at the end of the stream, unless it cannot be written, and
  // closes a colour left open.
  Step Finish(Step step);

 private:
  // Reads the stream's first bytes until they tell its encoding and readies the output for it; `rest` is
  // what was read after a byte order mark, and `ended` whether the stream ended there.
  Step BeginText(std::string& rest, bool& ended);
  // Says when memory runs out for the lines kept, which are let go first.
  Step ShowLastLines(const ShowOptions& options, std::string_view first, bool ended);
  Step KeepAndShowLastLines(const ShowOptions& options, std::string_view first, bool ended);
  // The next bytes of the stream, once the output has been told that a wait begins when none are at hand
  // (and, the first time the stream pauses while its start is pending, that the start has been shown).
  platform::StreamRead Read(std::size_t& count);
  Step Write(std::span<const char> bytes) { return StepAfterWrite(out_->Write(bytes)); }
  void StartShown() { out_->StartAlerting(); }
  Step ReadFailed() {
    Report(name_, "cannot read", platform::LastErrorText());
    return Step::kFail;
  }

  platform::FileHandle stream_;
  const OutputRun& run_;
  const void* file_;
  std::string name_;
  // Built once the stream's start tells its encoding.
  std::unique_ptr<TextOutput> out_;
  std::optional<ShownLines> shown_;
  LineEnds lineEnds_;
  // Following from line K: the start is what comes before the stream first pauses, as for the last lines.
  bool startPending_ = false;
  std::unique_ptr<char[]> storage_;
  std::span<char> block_;
};

// From line K on (-n +K), a stream is shown as it arrives once K - 1 lines have passed; without
// following, only until its end.
Step StreamShow::Show(const ShowOptions& options) {
  std::string first;
  bool ended = false;
  Step step = BeginText(first, ended);
  if (step != Step::kWait) {
    return step;
  }
  LineSkipper skipper(options.fromLine && options.lineCount > 0 ? options.lineCount - 1 : 0, lineEnds_);
  if (options.fromLine) {
    startPending_ = options.follow;
    const std::span<const char> shown = skipper.After(first);
    step = shown.empty() ? Step::kWait : Write(shown);
  } else {
    step = ShowLastLines(options, first, ended);
    if (options.follow) {
      StartShown();
    }
  }
  while (step == Step::kWait && !ended) {
    std::size_t count = 0;
    switch (Read(count)) {
      case platform::StreamRead::kData: {
        const std::span<const char> shown = skipper.After(block_.first(count));
        step = shown.empty() ? Step::kWait : Write(shown);
        break;
      }
      case platform::StreamRead::kIdle:
        step = platform::StopRequested() || platform::OutputGone() ? Step::kStop : Step::kWait;
        break;
      case platform::StreamRead::kEnd:
        ended = true;
        break;
      case platform::StreamRead::kFailed:
        step = ReadFailed();
        break;
    }
  }
  return step == Step::kWait ? Step::kEnded : step;
}

// A byte order mark, when the stream has one, names its encoding as a file's does. The first bytes are
// read one short read at a time only while they could still be the start of a mark.
Step StreamShow::BeginText(std::string& rest, bool& ended) {
  std::array<char, kLongestByteOrderMark> start{};
  std::size_t have = 0;
  for (;;) {
    std::size_t count = 0;
    const platform::StreamRead read =
        platform::ReadStream(stream_, std::span(start).subspan(have), -1, count);
    if (read == platform::StreamRead::kFailed) {
      return ReadFailed();
    }
    if (read == platform::StreamRead::kIdle && (platform::StopRequested() || platform::OutputGone())) {
      return Step::kStop;
    }
    have += read == platform::StreamRead::kData ? count : 0;
    ended = read == platform::StreamRead::kEnd;
    const auto readSoFar = std::span<const char>(start).first(have);
    if (const auto encoding =
            EncodingOfText(run_.settings.Encoding(), readSoFar, !ended && have < start.size())) {
      out_ = std::make_unique<TextOutput>(run_, file_, name_, *encoding, false);
      if (run_.settings.Filters() && !out_->Selects()) {
        shown_.emplace(run_.settings, *encoding, run_.shared);
      }
      lineEnds_ = encoding->lineEnds;
      const auto afterMark = readSoFar.subspan(encoding->markLength);
      rest.assign(afterMark.begin(), afterMark.end());
      return Step::kWait;
    }
  }
}

platform::StreamRead StreamShow::Read(std::size_t& count) {
  const platform::StreamRead read =
      platform::ReadStream(stream_, block_, startPending_ ? kStreamPauseMilliseconds : 0, count);
  if (read != platform::StreamRead::kIdle || platform::StopRequested() ||
      StepAfterWrite(out_->Idle()) != Step::kWait) {
    return read;
  }
  if (std::exchange(startPending_, false)) {
    StartShown();
  }
  return platform::ReadStream(stream_, block_, -1, count);
}

Step StreamShow::ShowLastLines(const ShowOptions& options, std::string_view first, bool ended) {
  try {
    return KeepAndShowLastLines(options, first, ended);
  } catch (const std::bad_alloc&) {
    Report(name_, "cannot keep the last lines of", std::strerror(ENOMEM));
    return Step::kFail;
  }
}

// Without following, the last lines are those at the end of the input; when following, those that have
// arrived when it first pauses, as a file's are those it holds when following starts. Where the output
// chooses lines as the text goes, it keeps the last ones itself.
Step StreamShow::KeepAndShowLastLines(const ShowOptions& options, std::string_view first, bool ended) {
  std::optional<KeptLines> kept;
  if (out_->Selects()) {
    out_->KeepLast(options.lineCount, true);
  } else {
    kept.emplace(options.lineCount, lineEnds_, shown_ ? shown_->AsFunction() : nullptr);
  }
  const auto take = [&](std::span<const char> bytes) {
    if (kept) {
      kept->Add(bytes);
      return Step::kWait;
    }
    return Write(bytes);
  };
  Step step = take(first);
  const int pause = options.follow ? kStreamPauseMilliseconds : -1;
  // Kept bytes are read straight into the room after those kept before, without a copy.
  const bool inPlace = kept && kept->ReadsInPlace();
  while (!ended && step == Step::kWait) {
    std::size_t count = 0;
    const std::span<char> into = inPlace ? kept->Room() : block_;
    const platform::StreamRead read = platform::ReadStream(stream_, into, pause, count);
    if (read == platform::StreamRead::kData && inPlace) {
      kept->Added(count);
      continue;
    }
    if (read == platform::StreamRead::kData) {
      step = take(into.first(count));
      continue;
    }
    if (read == platform::StreamRead::kFailed) {
      return ReadFailed();
    }
    ended = read == platform::StreamRead::kEnd;
    if (platform::StopRequested() || platform::OutputGone()) {
      return Step::kStop;
    }
    if (options.follow) {
      break;
    }
  }
  if (!kept) {
    step = step == Step::kWait ? StepAfterWrite(out_->ShowKept(ended)) : step;
  } else {
    const std::vector<std::span<const char>> pieces = kept->Lines();
    for (auto piece = pieces.begin(); piece != pieces.end() && step == Step::kWait; ++piece) {
      step = Write(*piece);
    }
  }
  return ended && step == Step::kWait ? Step::kEnded : step;
}

}  // namespace

Step StreamShow::Finish(Step step) {
  if (out_ == nullptr) {
    return step;
  }
  const Step ended = StepAfterWrite(out_->Finish(step == Step::kOutputFailed));
  return ended == Step::kWait || ended == Step::kStop ? step : ended;
}

Step ShowStream(platform::FileHandle stream, const ShowOptions& options, const OutputRun& run,
                const void* file, const std::string& name) {
  StreamShow show(stream, run, file, name);
  return show.Finish(show.Show(options));
}

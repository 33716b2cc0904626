// Following a stream: standard input, a pipe, a FIFO or a terminal, read as bytes arrive.

#include <algorithm>

#include "follower.h"
#include "kept_lines.h"

namespace vp = viewer_platform;

namespace {

// While following a stream, its last lines are those that have arrived when it first pauses this long.
constexpr int kStreamPauseMilliseconds = 100;

// What is left of bytes once `lines` more newlines have been passed over; counts them down.
std::span<const char> AfterSkippedLines(std::span<const char> bytes, std::size_t& lines) {
  for (; lines > 0; --lines) {
    const auto newline = std::find(bytes.begin(), bytes.end(), '\n');
    if (newline == bytes.end()) {
      return {};
    }
    bytes = bytes.subspan(static_cast<std::size_t>(newline - bytes.begin()) + 1);
  }
  return bytes;
}

}  // namespace

// From line K on (-n +K), a stream is shown as it arrives once K - 1 lines have passed; without
// following, only until its end.
Follower::Step Follower::ShowStream(const ShowOptions& options) {
  std::size_t linesToSkip = options.fromLine && options.lineCount > 0 ? options.lineCount - 1 : 0;
  Step step = options.fromLine ? Step::kWait : ShowStreamLastLines(options);
  while (step == Step::kWait) {
    std::size_t count = 0;
    switch (ReadStream(-1, count)) {
      case vp::StreamRead::kData: {
        const std::span<const char> shown = AfterSkippedLines(buffer_.first(count), linesToSkip);
        step = shown.empty() ? Step::kWait : Write(shown);
        break;
      }
      case vp::StreamRead::kIdle:
        step = vp::StopRequested() || vp::OutputGone() ? Step::kStop : Step::kWait;
        break;
      case vp::StreamRead::kEnd:
        step = Step::kStop;
        break;
      case vp::StreamRead::kFailed:
        Report("cannot read", vp::LastErrorText());
        step = Step::kFail;
        break;
    }
  }
  return step;
}

vp::StreamRead Follower::ReadStream(int limitMilliseconds, std::size_t& count) {
  const vp::StreamRead read = vp::ReadStream(file_, buffer_, 0, count);
  if (read != vp::StreamRead::kIdle || limitMilliseconds == 0 || vp::StopRequested() ||
      Idle() != Step::kWait) {
    return read;
  }
  return vp::ReadStream(file_, buffer_, limitMilliseconds, count);
}

// Without following, the last lines are those at the end of the input; when following, those that have
// arrived when it first pauses, as a file's are those it holds when following starts.
Follower::Step Follower::ShowStreamLastLines(const ShowOptions& options) {
  KeptLines kept(options.lineCount, LineEndsOf(askedEncoding_), out_.Filters() ? out_.ShownLines() : nullptr);
  const int pause = options.follow ? kStreamPauseMilliseconds : -1;
  for (;;) {
    std::size_t count = 0;
    const vp::StreamRead read = vp::ReadStream(file_, buffer_, pause, count);
    if (read == vp::StreamRead::kData) {
      kept.Add({buffer_.data(), count});
      continue;
    }
    if (read == vp::StreamRead::kFailed) {
      Report("cannot read", vp::LastErrorText());
      return Step::kFail;
    }
    if (vp::StopRequested() || vp::OutputGone()) {
      return Step::kStop;
    }
    if (read == vp::StreamRead::kEnd || options.follow) {
      const Step step = Write(kept.Lines());
      return read == vp::StreamRead::kEnd && step == Step::kWait ? Step::kStop : step;
    }
  }
}

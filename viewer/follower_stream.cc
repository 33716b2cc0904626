// Following a stream: standard input, a pipe, a FIFO or a terminal, read as bytes arrive.

#include "follower.h"
#include "kept_lines.h"

namespace vp = viewer_platform;

namespace {

// While following a stream, its last lines are those that have arrived when it first pauses this long.
constexpr int kStreamPauseMilliseconds = 100;

}  // namespace

Follower::Step Follower::FollowStream(const ShowOptions& options) {
  Step step = ShowStreamLastLines(options);
  while (step == Step::kWait) {
    std::size_t count = 0;
    switch (vp::ReadStream(file_, buffer_, -1, count)) {
      case vp::StreamRead::kData:
        step = Write({buffer_.data(), count});
        break;
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

// Without following, the last lines are those at the end of the input; when following, those that have
// arrived when it first pauses, as a file's are those it holds when following starts.
Follower::Step Follower::ShowStreamLastLines(const ShowOptions& options) {
  KeptLines kept(options.lineCount);
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

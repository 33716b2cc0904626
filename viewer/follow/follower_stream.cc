// Following a stream: standard input, a pipe, a FIFO or a terminal, read as bytes arrive.

#include <algorithm>
#include <array>

#include "follow/follower.h"
#include "follow/kept_lines.h"

namespace vp = viewer_platform;

namespace {

// While following a stream, its last lines are those that have arrived when it first pauses this long.
constexpr int kStreamPauseMilliseconds = 100;

// Passes over a stream's first lines, whose line ends a read may cut in two (UTF-16's two bytes).
class LineSkipper {
 public:
  LineSkipper(std::size_t lines, LineEnds ends) : lines_(lines), ends_(ends) {}

  // What is left of the next bytes once the lines are passed over; empty while they are not yet.
  std::span<const char> After(std::span<const char> bytes) {
    if (lines_ > 0 && held_ > 0 && !bytes.empty()) {
      // The rest of a unit cut by the last read.
      unit_[held_] = bytes.front();
      bytes = bytes.subspan(1);
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
  std::array<char, 2> unit_{};
  std::size_t held_ = 0;
};

}  // namespace

// From line K on (-n +K), a stream is shown as it arrives once K - 1 lines have passed; without
// following, only until its end.
Follower::Step Follower::ShowStream(const ShowOptions& options) {
  std::string first;
  bool ended = false;
  Step step = BeginStreamText(first, ended);
  if (step != Step::kWait) {
    return step;
  }
  LineSkipper skipper(options.fromLine && options.lineCount > 0 ? options.lineCount - 1 : 0, lineEnds_);
  if (options.fromLine) {
    const std::span<const char> shown = skipper.After(first);
    step = shown.empty() ? Step::kWait : Write(shown);
  } else {
    step = ShowStreamLastLines(options, first, ended);
  }
  while (step == Step::kWait && !ended) {
    std::size_t count = 0;
    switch (ReadStream(-1, count)) {
      case vp::StreamRead::kData: {
        const std::span<const char> shown = skipper.After(buffer_.first(count));
        step = shown.empty() ? Step::kWait : Write(shown);
        break;
      }
      case vp::StreamRead::kIdle:
        step = vp::StopRequested() || vp::OutputGone() ? Step::kStop : Step::kWait;
        break;
      case vp::StreamRead::kEnd:
        ended = true;
        break;
      case vp::StreamRead::kFailed:
        Report("cannot read", vp::LastErrorText());
        step = Step::kFail;
        break;
    }
  }
  return step == Step::kWait ? Step::kStop : step;
}

// A byte order mark, when the stream has one, names its encoding as a file's does. The first bytes are
// read one short read at a time only while they could still be the start of a mark.
Follower::Step Follower::BeginStreamText(std::string& rest, bool& ended) {
  std::array<char, kLongestByteOrderMark> start{};
  std::size_t have = 0;
  for (;;) {
    std::size_t count = 0;
    const vp::StreamRead read = vp::ReadStream(file_, std::span(start).subspan(have), -1, count);
    if (read == vp::StreamRead::kFailed) {
      Report("cannot read", vp::LastErrorText());
      return Step::kFail;
    }
    if (read == vp::StreamRead::kIdle && (vp::StopRequested() || vp::OutputGone())) {
      return Step::kStop;
    }
    have += read == vp::StreamRead::kData ? count : 0;
    ended = read == vp::StreamRead::kEnd;
    const auto readSoFar = std::span<const char>(start).first(have);
    if (const auto encoding = EncodingOfText(askedEncoding_, readSoFar, !ended && have < start.size())) {
      UseEncoding(*encoding);
      const auto afterMark = readSoFar.subspan(encoding->markLength);
      rest.assign(afterMark.begin(), afterMark.end());
      return Step::kWait;
    }
  }
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
Follower::Step Follower::ShowStreamLastLines(const ShowOptions& options, std::string_view first, bool ended) {
  KeptLines kept(options.lineCount, lineEnds_, out_.Filters() ? out_.ShownLines() : nullptr);
  kept.Add(first);
  const int pause = options.follow ? kStreamPauseMilliseconds : -1;
  while (!ended) {
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
    ended = read == vp::StreamRead::kEnd;
    if (vp::StopRequested() || vp::OutputGone()) {
      return Step::kStop;
    }
    if (options.follow) {
      break;
    }
  }
  const Step step = Write(kept.Lines());
  return ended && step == Step::kWait ? Step::kStop : step;
}

#include "output/filter_stage.h"

#include <utility>

#include "platform/output.h"

namespace vp = viewer_platform;

namespace {

// The shown lines of a read gather in one write.
constexpr std::size_t kShownLinesBlockSize = std::size_t{64} * 1024;

}  // namespace

FilterStage::FilterStage(const LineFilter& filter, NoteSink& notes, OutputSink& next)
    : filter_(filter), notes_(notes), held_(kLongestFilteredLine, *this), out_(next, kShownLinesBlockSize) {}

vp::WriteResult FilterStage::Write(std::span<const char> bytes) {
  const vp::WriteResult result = held_.Take({bytes.data(), bytes.size()});
  return result == vp::WriteResult::kWritten ? out_.Flush() : result;
}

vp::WriteResult FilterStage::EndOfFile() {
  const vp::WriteResult result = held_.End();
  return result == vp::WriteResult::kWritten ? out_.EndOfFile() : result;
}

vp::WriteResult FilterStage::PutLines(std::string_view lines) {
  vp::WriteResult result = vp::WriteResult::kWritten;
  filter_.ForEachShownRun(lines, [&](std::size_t start, std::size_t end) {
    result = out_.Put(lines.substr(start, end - start));
    return result == vp::WriteResult::kWritten;
  });
  return result;
}

void FilterStage::TooLong(std::string_view /*start*/) {
  if (!std::exchange(noted_, true)) {
    notes_.Note("a line longer than 1 MiB is shown whole, unfiltered");
  }
}

#include "output/filter_stage.h"

#include <utility>

#include "platform/output.h"

namespace {

// The shown lines of a read gather in one write.
constexpr std::size_t kShownLinesBlockSize = std::size_t{64} * 1024;

}  // namespace

FilterStage::FilterStage(const LineFilter& filter, NoteSink& notes, platform::OutputSink& next)
    : filter_(filter), notes_(notes), held_(kLongestFilteredLine, *this), out_(next, kShownLinesBlockSize) {}

platform::WriteResult FilterStage::Write(std::span<const char> bytes) {
  const platform::WriteResult result = held_.Take({bytes.data(), bytes.size()});
  return result == platform::WriteResult::kWritten ? out_.Flush() : result;
}

platform::WriteResult FilterStage::EndOfFile() {
  const platform::WriteResult result = held_.End();
  return result == platform::WriteResult::kWritten ? out_.EndOfFile() : result;
}

platform::WriteResult FilterStage::PutLines(std::string_view lines) {
  platform::WriteResult result = platform::WriteResult::kWritten;
  filter_.ForEachShownRun(lines, [&](std::size_t start, std::size_t end) {
    result = out_.Put(lines.substr(start, end - start));
    return result == platform::WriteResult::kWritten;
  });
  return result;
}

void FilterStage::TooLong(std::string_view /*start*/) {
  if (!std::exchange(noted_, true)) {
    notes_.Note("a line longer than 1 MiB is shown whole, unfiltered");
  }
}

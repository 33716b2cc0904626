// Over any file contents, count and block size, the last-lines search starts exactly where the last
// `count` lines begin, as a forward scan finds them.
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "follow/last_lines.h"
#include "fuzz_input.h"

namespace {

// Where the last `count` lines begin, counting lines forward; a final line without a newline counts.
std::uint64_t ForwardScan(std::string_view contents, std::size_t count) {
  std::vector<std::uint64_t> lineStarts;
  for (std::size_t start = 0; start < contents.size();) {
    lineStarts.push_back(start);
    const std::size_t newline = contents.find('\n', start);
    start = newline == std::string_view::npos ? contents.size() : newline + 1;
  }
  return count >= lineStarts.size() ? 0
         : count == 0               ? contents.size()
                                    : lineStarts[lineStarts.size() - count];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const std::size_t count = data[0] % 16;
  const std::size_t blockSize = 1 + data[1] % 32;
  const std::string_view contents(reinterpret_cast<const char*>(data + 2), size - 2);

  // Reads hand back at most what was asked and at most seven bytes, so short reads are covered too.
  const ReadAtFunction readAt = [contents](std::uint64_t offset, std::span<char> into) -> std::ptrdiff_t {
    FUZZ_CHECK(offset <= contents.size());
    const std::size_t length = std::min({into.size(), contents.size() - offset, std::size_t{7}});
    std::memcpy(into.data(), contents.data() + offset, length);
    return static_cast<std::ptrdiff_t>(length);
  };
  std::vector<char> block(blockSize);
  const std::optional<std::uint64_t> start = FindLastLinesStart(readAt, contents.size(), count, block);
  FUZZ_CHECK(start.has_value() && *start == ForwardScan(contents, count));
  return 0;
}

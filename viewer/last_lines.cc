#include "last_lines.h"

#include <algorithm>

namespace {

bool ReadExactly(const ReadAtFunction& readAt, std::uint64_t offset, std::span<char> into) {
  while (!into.empty()) {
    const std::ptrdiff_t count = readAt(offset, into);
    if (count <= 0) {
      return false;
    }
    offset += static_cast<std::uint64_t>(count);
    into = into.subspan(static_cast<std::size_t>(count));
  }
  return true;
}

}  // namespace

std::optional<std::uint64_t> FindLastLinesStart(const ReadAtFunction& readAt, std::uint64_t size,
                                                std::size_t count, std::span<char> block) {
  if (count == 0) {
    return size;
  }
  // The newline ending the last line does not start another line, so the search begins before it.
  std::uint64_t end = size == 0 ? 0 : size - 1;
  std::size_t newlinesToFind = count;
  while (end > 0) {
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(end, block.size()));
    const std::uint64_t start = end - length;
    const std::span<char> data = block.first(length);
    if (!ReadExactly(readAt, start, data)) {
      return std::nullopt;
    }
    for (std::size_t i = length; i > 0; --i) {
      if (data[i - 1] == '\n' && --newlinesToFind == 0) {
        return start + i;
      }
    }
    end = start;
  }
  return 0;
}

std::optional<std::uint64_t> FindLineStart(const ReadAtFunction& readAt, std::uint64_t size,
                                           std::size_t number, std::span<char> block) {
  std::size_t newlinesToSkip = number == 0 ? 0 : number - 1;
  std::uint64_t offset = 0;
  while (newlinesToSkip > 0 && offset < size) {
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(size - offset, block.size()));
    const std::ptrdiff_t count = readAt(offset, block.first(length));
    if (count < 0) {
      return std::nullopt;
    }
    if (count == 0) {
      return offset;
    }
    const auto data = block.first(static_cast<std::size_t>(count));
    for (auto at = data.begin(); (at = std::find(at, data.end(), '\n')) != data.end(); ++at) {
      if (--newlinesToSkip == 0) {
        return offset + static_cast<std::uint64_t>(at - data.begin()) + 1;
      }
    }
    offset += static_cast<std::uint64_t>(count);
  }
  return offset;
}

#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

// How a text's lines end: in a line feed as its character set writes one, a byte '\n' in the sets built
// on ASCII, or a wider code unit (UTF-16's 0A 00 or 00 0A, UTF-32's, UCS-4's) at an offset that is a
// multiple of its width from the text's start, so that part of another character never counts.
struct LineEnds {
  std::size_t width = 1;
  std::array<char, 4> feed{'\n'};

  // The line ends of a line feed written as `bytes`; a byte '\n' for any but one of 1, 2 or 4 bytes.
  static LineEnds Of(std::string_view bytes) {
    LineEnds ends;
    if (bytes.size() == 1 || bytes.size() == 2 || bytes.size() == 4) {
      ends.width = bytes.size();
      std::copy(bytes.begin(), bytes.end(), ends.feed.begin());
    }
    return ends;
  }

  // Whether the unit at `at`, an offset that is a multiple of the width, ends a line.
  [[nodiscard]] bool At(std::span<const char> bytes, std::size_t at) const {
    return std::equal(feed.begin(), feed.begin() + static_cast<std::ptrdiff_t>(width),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at));
  }

  // Where the first line end at or after `from` (a multiple of the width) is; the size when there is none.
  [[nodiscard]] std::size_t Next(std::span<const char> bytes, std::size_t from) const {
    if (width == 1) {
      const void* found = std::memchr(bytes.data() + from, feed[0], bytes.size() - from);
      return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data())
                              : bytes.size();
    }
    for (std::size_t at = from; at + width <= bytes.size(); at += width) {
      if (At(bytes, at)) {
        return at;
      }
    }
    return bytes.size();
  }

  // The length of `bytes` without what follows its last line end; the whole of it when it has none.
  [[nodiscard]] std::size_t WholeLines(std::span<const char> bytes) const {
    for (std::size_t at = (bytes.size() / width) * width; at >= width; at -= width) {
      if (At(bytes, at - width)) {
        return at;
      }
    }
    return 0;
  }
};

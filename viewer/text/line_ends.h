#pragma once

#include <cstddef>
#include <cstring>
#include <span>

// How a text's lines end: a byte '\n', or a UTF-16 code unit U+000A, "0A 00" little endian or "00 0A"
// big endian, at an even offset from the text's start, so that half of another character never counts.
struct LineEnds {
  std::size_t width = 1;
  bool bigEndian = false;

  // Whether the unit at `at`, an offset that is a multiple of the width, ends a line.
  [[nodiscard]] bool At(std::span<const char> bytes, std::size_t at) const {
    if (width == 1) {
      return bytes[at] == '\n';
    }
    return bytes[at + (bigEndian ? 1 : 0)] == '\n' && bytes[at + (bigEndian ? 0 : 1)] == '\0';
  }

  // Where the first line end at or after `from` (a multiple of the width) is; the size when there is none.
  [[nodiscard]] std::size_t Next(std::span<const char> bytes, std::size_t from) const {
    if (width == 1) {
      const void* found = std::memchr(bytes.data() + from, '\n', bytes.size() - from);
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

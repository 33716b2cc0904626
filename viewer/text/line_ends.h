#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <limits>
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

  // The first byte of the line feed that is not zero.
  [[nodiscard]] std::size_t MarkByte() const {
    return static_cast<std::size_t>(std::find_if(feed.begin(),
                                                 feed.begin() + static_cast<std::ptrdiff_t>(width - 1),
                                                 [](char byte) { return byte != 0; }) -
                                    feed.begin());
  }

  // Whether the unit at `at`, an offset that is a multiple of the width, ends a line.
  [[nodiscard]] bool At(std::span<const char> bytes, std::size_t at) const {
    return width == 1 ? bytes[at] == feed[0]
                      : std::equal(feed.begin(), feed.begin() + static_cast<std::ptrdiff_t>(width),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(at));
  }

  // Where the first line end at or after `from` (a multiple of the width) is; the size when there is none.
  // memchr finds each byte of the line feed that is not zero, which is where a wider unit may be one.
  [[nodiscard]] std::size_t Next(std::span<const char> bytes, std::size_t from) const {
    if (width == 1) {
      const void* found = std::memchr(bytes.data() + from, feed[0], bytes.size() - from);
      return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data())
                              : bytes.size();
    }
    const std::size_t mark = MarkByte();
    const std::size_t units = bytes.size() - bytes.size() % width;
    for (std::size_t at = from + mark; at < units;) {
      const void* found = std::memchr(bytes.data() + at, feed[mark], units - at);
      if (found == nullptr) {
        break;
      }
      const auto byte = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
      const std::size_t unit = byte - mark;
      if (unit % width == 0 && At(bytes, unit)) {
        return unit;
      }
      at = byte + 1;
    }
    return bytes.size();
  }

  // Where line end number `index` (from 0) of `bytes` is; the size when there are not that many.
  [[nodiscard]] std::size_t Nth(std::span<const char> bytes, std::size_t index) const {
    std::size_t at = Next(bytes, 0);
    for (; index > 0 && at < bytes.size(); --index) {
      at = Next(bytes, at + width);
    }
    return at;
  }

  // How many line ends the whole units of `bytes` hold, counting no further than `most`.
  [[nodiscard]] std::size_t Count(std::span<const char> bytes,
                                  std::size_t most = std::numeric_limits<std::size_t>::max()) const {
    std::size_t found = 0;
    for (std::size_t at = Next(bytes, 0); found < most && at < bytes.size(); at = Next(bytes, at + width)) {
      ++found;
    }
    return found;
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

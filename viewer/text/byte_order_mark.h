#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "text/line_ends.h"

// The encoding a text is read in, and where its text begins after a byte order mark.
struct TextEncoding {
  // Null for raw bytes.
  const char* name = nullptr;
  std::size_t markLength = 0;
  LineEnds lineEnds;
};

// The longest byte order mark: UTF-8's.
inline constexpr std::size_t kLongestByteOrderMark = 3;

// The encoding of a text whose first bytes are `start` (up to kLongestByteOrderMark of them), asked
// for as `asked` (null when none was). Without one asked, a byte order mark of UTF-8, UTF-16LE or
// UTF-16BE names it, else the bytes are raw; one asked for is kept, but an unmarked UTF-16 takes its
// byte order from the mark (big endian without one). A mark of the encoding read is not part of the
// text. Empty while `start` is shorter than a mark it could still grow into and `more` bytes may come.
std::optional<TextEncoding> EncodingOfText(const char* asked, std::span<const char> start, bool more);

// The line ends of a text in the encoding named.
LineEnds LineEndsOf(const char* encoding);

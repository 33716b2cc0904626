#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <utility>

#include "follow/last_lines.h"
#include "text/line_ends.h"

// The last lines of a stream that cannot be read again: what came before them is dropped as more
// arrives, so the memory held stays within twice those lines and a block.
class KeptLines {
 public:
  // Only the lines `shown` finds shown count, when it is given.
  KeptLines(std::size_t count, LineEnds ends, ShownLinesFunction shown = nullptr)
      : count_(count), ends_(ends), shown_(std::move(shown)) {}

  void Add(std::span<const char> bytes);
  // The last `count` lines of everything added; a last line without a newline counts as a line.
  std::span<const char> Lines();

 private:
  void DropAllButTheLastLines();

  std::size_t count_;
  LineEnds ends_;
  ShownLinesFunction shown_;
  std::string text_;
  std::size_t keptSize_ = 0;
  std::array<char, 4096> block_{};
};

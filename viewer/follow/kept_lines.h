#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "output/line_filter.h"
#include "text/line_ends.h"

// The last lines of a stream that cannot be read again. The bytes are kept in blocks, each knowing how
// many line ends it holds, and a block is let go as soon as the blocks after it hold more than the lines
// asked for: what is kept stays within those lines, one more and a block, however long they are. A block
// counts its line ends only up to one more than the lines asked for, which is all that deciding needs.
class KeptLines {
 public:
  // Only the lines `shown` finds shown count, when it is given; the others are let go as they come.
  KeptLines(std::size_t count, const LineEnds& ends, ShownLinesFunction shown = nullptr)
      : count_(count), ends_(ends), shown_(std::move(shown)) {}

  // Throws std::bad_alloc when there is no memory left to keep them in.
  void Add(std::span<const char> bytes);
  // Whether the stream can be read straight into Room(): every byte is kept, none filtered.
  [[nodiscard]] bool ReadsInPlace() const { return count_ > 0 && !shown_; }
  // The room after the bytes kept so far, for the next read; Added keeps what it read there. Throws
  // std::bad_alloc when there is no memory left.
  std::span<char> Room();
  void Added(std::size_t count);
  // The last `count` lines of everything added, in pieces, in order; a last line without a line end
  // counts as a line. Nothing is added after it.
  std::vector<std::span<const char>> Lines();

 private:
  struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    // Counted up to the cap only.
    std::size_t lineEnds = 0;
    // The bytes counted: whole units.
    std::size_t counted = 0;
  };

  // Takes whole units of the line ends' width, the first at a unit's start.
  void AddUnits(std::span<const char> units);
  void KeepShownLines(std::span<const char> lines);
  // Keeps bytes after those kept so far, letting go of the blocks no longer needed.
  void Keep(std::span<const char> bytes);
  void LetGoOfUnneededBlocks();
  // The line ends of a block's whole units, counted no further than `most`.
  [[nodiscard]] std::size_t LineEndsIn(const Block& block, std::size_t most) const;
  [[nodiscard]] bool EndsInLineEnd() const;
  // As many line ends as a block counts: those that the lines asked for need, and one more.
  [[nodiscard]] std::size_t Cap() const { return count_ + 1; }

  std::size_t count_;
  LineEnds ends_;
  ShownLinesFunction shown_;
  std::deque<Block> blocks_;
  // A block let go, to be used again.
  std::unique_ptr<char[]> spare_;
  std::size_t lineEnds_ = 0;
  // The start of a unit the last bytes added cut in two.
  std::array<char, 4> unit_{};
  std::size_t unitSize_ = 0;
  // With a filter: the start of a line not yet whole, and whether it is a line too long to filter,
  // which is kept whole as the filter shows it.
  std::string lineStart_;
  bool longLine_ = false;
  std::vector<std::size_t> starts_;
};

#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>

// The last lines of a stream that cannot be read again: what came before them is dropped as more
// arrives, so the memory held stays within twice those lines and a block.
class KeptLines {
 public:
  explicit KeptLines(std::size_t count) : count_(count) {}

  void Add(std::span<const char> bytes);
  // The last `count` lines of everything added; a last line without a newline counts as a line.
  std::span<const char> Lines();

 private:
  void DropAllButTheLastLines();

  std::size_t count_;
  std::string text_;
  std::size_t keptSize_ = 0;
  std::array<char, 4096> block_{};
};

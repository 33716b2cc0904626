#include "follow/kept_lines.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "follow/read_block.h"

void KeptLines::Add(std::span<const char> bytes) {
  if (count_ == 0) {
    return;
  }
  if (!shown_) {
    Keep(bytes);
    return;
  }
  // The filter takes whole units: a unit that the bytes cut in two waits for its rest.
  const std::size_t width = ends_.width;
  if (unitSize_ > 0) {
    const std::size_t taken = std::min(width - unitSize_, bytes.size());
    std::copy_n(bytes.begin(), taken, unit_.begin() + static_cast<std::ptrdiff_t>(unitSize_));
    unitSize_ += taken;
    bytes = bytes.subspan(taken);
    if (unitSize_ < width) {
      return;
    }
    unitSize_ = 0;
    AddUnits(std::span<const char>(unit_).first(width));
  }
  const std::size_t whole = bytes.size() - bytes.size() % width;
  AddUnits(bytes.first(whole));
  unitSize_ = bytes.size() - whole;
  std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(whole), bytes.end(), unit_.begin());
}

std::vector<std::span<const char>> KeptLines::Lines() {
  if (count_ == 0) {
    return {};
  }
  // The last line, whole as it is now.
  const std::span<const char> cut = std::span<const char>(unit_).first(std::exchange(unitSize_, 0));
  const bool filtered = shown_ && !longLine_;
  if (filtered) {
    lineStart_.append(cut.begin(), cut.end());
    KeepShownLines(lineStart_);
    lineStart_.clear();
  }
  // The blocks that stopped counting at the cap are counted whole now.
  for (Block& block : blocks_) {
    if (block.lineEnds >= Cap()) {
      lineEnds_ -= block.lineEnds;
      block.lineEnds = LineEndsIn(block, std::numeric_limits<std::size_t>::max());
      lineEnds_ += block.lineEnds;
    }
  }
  // A unit cut short at the end starts no line of its own, as at the end of a file.
  const bool closed = EndsInLineEnd();
  if (!filtered) {
    Keep(cut);
  }
  // The line ends to pass over: all but those of the last lines.
  const std::size_t ownLineEnds = closed ? count_ : count_ - 1;
  std::size_t passed = lineEnds_ > ownLineEnds ? lineEnds_ - ownLineEnds : 0;
  std::vector<std::span<const char>> pieces;
  for (const Block& block : blocks_) {
    std::span<const char> bytes(block.bytes.get(), block.size);
    if (passed > block.lineEnds) {
      passed -= block.lineEnds;
      continue;
    }
    if (passed > 0) {
      // The first of the last lines begins after the block's line end number `passed`.
      bytes = bytes.subspan(ends_.Nth(bytes, std::exchange(passed, 0) - 1) + ends_.width);
    }
    if (!bytes.empty()) {
      pieces.push_back(bytes);
    }
  }
  return pieces;
}

void KeptLines::AddUnits(std::span<const char> units) {
  // The line under way, once it is too long to filter, is kept whole, as the filter shows it.
  const std::size_t end = ends_.Next(units, 0);
  const std::size_t lineRest = std::min(end + ends_.width, units.size());
  if (!longLine_ && lineStart_.size() + end > kLongestFilteredLine) {
    Keep(lineStart_);
    lineStart_.clear();
    longLine_ = true;
  }
  if (longLine_) {
    Keep(units.first(lineRest));
    longLine_ = end == units.size();
    units = units.subspan(lineRest);
  }
  lineStart_.append(units.begin(), units.end());
  const std::size_t whole = ends_.WholeLines(lineStart_);
  if (whole > 0) {
    KeepShownLines(std::span<const char>(lineStart_).first(whole));
    lineStart_.erase(0, whole);
  }
}

void KeptLines::KeepShownLines(std::span<const char> lines) {
  starts_.clear();
  if (!lines.empty()) {
    shown_(lines, starts_);
  }
  for (const std::size_t start : starts_) {
    const std::size_t end = std::min(ends_.Next(lines, start) + ends_.width, lines.size());
    Keep(lines.subspan(start, end - start));
  }
}

void KeptLines::Keep(std::span<const char> bytes) {
  while (!bytes.empty()) {
    const std::span<char> room = Room();
    const std::size_t taken = std::min(bytes.size(), room.size());
    std::copy_n(bytes.begin(), taken, room.begin());
    Added(taken);
    bytes = bytes.subspan(taken);
  }
}

std::span<char> KeptLines::Room() {
  if (blocks_.empty() || blocks_.back().size == kReadBlockSize) {
    LetGoOfUnneededBlocks();
    blocks_.push_back({spare_ ? std::move(spare_) : std::make_unique_for_overwrite<char[]>(kReadBlockSize)});
  }
  Block& last = blocks_.back();
  return {last.bytes.get() + last.size, kReadBlockSize - last.size};
}

// The block's size is a multiple of every width of line end, so no unit spans two blocks, and one that
// a read cut short is counted once its rest has arrived.
void KeptLines::Added(std::size_t count) {
  Block& last = blocks_.back();
  last.size += count;
  if (last.lineEnds >= Cap()) {
    return;
  }
  const std::size_t units = last.size - last.size % ends_.width;
  const std::size_t found = ends_.Count(
      std::span<const char>(last.bytes.get() + last.counted, units - last.counted), Cap() - last.lineEnds);
  last.counted = units;
  last.lineEnds += found;
  lineEnds_ += found;
}

// A block is needed while the line ends after it are not more than the lines asked for: the first of
// those lines may begin in it.
void KeptLines::LetGoOfUnneededBlocks() {
  while (!blocks_.empty() && lineEnds_ - blocks_.front().lineEnds > count_) {
    lineEnds_ -= blocks_.front().lineEnds;
    spare_ = std::move(blocks_.front().bytes);
    blocks_.pop_front();
  }
}

std::size_t KeptLines::LineEndsIn(const Block& block, std::size_t most) const {
  return ends_.Count(std::span<const char>(block.bytes.get(), block.size), most);
}

// The last block may have just been made, empty.
bool KeptLines::EndsInLineEnd() const {
  const auto last =
      std::find_if(blocks_.rbegin(), blocks_.rend(), [](const Block& block) { return block.size > 0; });
  if (last == blocks_.rend()) {
    return false;
  }
  return last->size % ends_.width == 0 &&
         ends_.At(std::span<const char>(last->bytes.get(), last->size), last->size - ends_.width);
}

#include "last_lines.h"

#include <algorithm>
#include <string>

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

std::uint64_t RoundedDown(std::uint64_t value, std::size_t width) { return value - value % width; }

}  // namespace

std::optional<std::uint64_t> FindLastLinesStart(const ReadAtFunction& readAt, std::uint64_t size,
                                                std::size_t count, std::span<char> block, LineEnds ends) {
  if (count == 0) {
    return size;
  }
  const std::size_t width = ends.width;
  // The line end closing the last line does not start another line, so the search begins before it;
  // a unit cut short at the end is no line end either.
  std::uint64_t end = RoundedDown(size, width);
  end = end >= width ? end - width : 0;
  const std::size_t blockSize = RoundedDown(block.size(), width);
  std::size_t lineEndsToFind = count;
  while (end > 0) {
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(end, blockSize));
    const std::uint64_t start = end - length;
    const std::span<char> data = block.first(length);
    if (!ReadExactly(readAt, start, data)) {
      return std::nullopt;
    }
    for (std::size_t i = length; i >= width; i -= width) {
      if (ends.At(data, i - width) && --lineEndsToFind == 0) {
        return start + i;
      }
    }
    end = start;
  }
  return 0;
}

std::optional<std::uint64_t> FindLineStart(const ReadAtFunction& readAt, std::uint64_t size,
                                           std::size_t number, std::span<char> block, LineEnds ends) {
  const std::size_t width = ends.width;
  const std::size_t blockSize = RoundedDown(block.size(), width);
  std::size_t lineEndsToSkip = number == 0 ? 0 : number - 1;
  std::uint64_t offset = 0;
  while (lineEndsToSkip > 0 && offset < size) {
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(size - offset, blockSize));
    const std::ptrdiff_t count = readAt(offset, block.first(length));
    if (count < 0) {
      return std::nullopt;
    }
    // A unit cut short by the read is read again with the next block; one cut short by the end of the
    // data ends no line.
    const auto whole = static_cast<std::size_t>(RoundedDown(static_cast<std::uint64_t>(count), width));
    if (whole == 0) {
      return count == 0 ? offset : size;
    }
    const auto data = block.first(whole);
    if (width == 1) {
      for (auto at = data.begin(); (at = std::find(at, data.end(), '\n')) != data.end(); ++at) {
        if (--lineEndsToSkip == 0) {
          return offset + static_cast<std::uint64_t>(at - data.begin()) + 1;
        }
      }
    } else {
      for (std::size_t at = 0; at < whole; at += width) {
        if (ends.At(data, at) && --lineEndsToSkip == 0) {
          return offset + at + width;
        }
      }
    }
    offset += whole;
  }
  return offset;
}

namespace {

// The line being looked at while reading backwards: its bytes after the block at hand, up to its end.
class LineTail {
 public:
  void Prepend(std::span<const char> bytes) {
    tooLong_ = tooLong_ || tail_.size() + bytes.size() > kLongestFilteredLine;
    if (!tooLong_) {
      tail_.insert(tail_.begin(), bytes.begin(), bytes.end());
    }
  }
  // Whether the line made of `start` and the tail is shown; the tail is then emptied for the next line.
  bool Shown(std::span<const char> start, const LineTest& shown) {
    Prepend(start);
    const bool result = tooLong_ || shown(tail_);
    tail_.clear();
    tooLong_ = false;
    return result;
  }
  [[nodiscard]] bool empty() const { return tail_.empty() && !tooLong_; }

 private:
  std::string tail_;
  bool tooLong_ = false;
};

}  // namespace

std::optional<std::uint64_t> FindLastShownLinesStart(const ReadAtFunction& readAt, std::uint64_t size,
                                                     std::size_t count, std::span<char> block, LineEnds ends,
                                                     const LineTest& shown) {
  if (count == 0) {
    return size;
  }
  const std::size_t width = ends.width;
  const std::size_t blockSize = RoundedDown(block.size(), width);
  LineTail tail;
  // A unit cut short at the end is part of the last line; the line end closing it starts no other.
  std::uint64_t end = RoundedDown(size, width);
  if (end < size) {
    const std::span<char> rest = block.first(static_cast<std::size_t>(size - end));
    if (!ReadExactly(readAt, end, rest)) {
      return std::nullopt;
    }
    tail.Prepend(rest);
  } else if (end >= width) {
    const std::span<char> last = block.first(width);
    if (!ReadExactly(readAt, end - width, last)) {
      return std::nullopt;
    }
    end -= ends.At(last, 0) ? width : 0;
  }
  while (end > 0) {
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(end, blockSize));
    const std::uint64_t start = end - length;
    const std::span<char> data = block.first(length);
    if (!ReadExactly(readAt, start, data)) {
      return std::nullopt;
    }
    std::size_t lineEnd = length;
    for (std::size_t i = length; i >= width; i -= width) {
      if (!ends.At(data, i - width)) {
        continue;
      }
      const std::span<const char> line = data.subspan(i, lineEnd - i);
      if ((tail.empty() ? shown(line) : tail.Shown(line, shown)) && --count == 0) {
        return start + i;
      }
      lineEnd = i - width;
    }
    tail.Prepend(data.first(lineEnd));
    end = start;
  }
  return 0;
}

#include "follow/last_lines.h"

#include <algorithm>
#include <array>
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

// The pieces a block is searched in, backwards, a multiple of every width of line end: small enough
// that the last lines cost little more than their own length.
constexpr std::size_t kPieceSize = 4096;

// Where the line that follows line end number `lineEndsToFind`, counted back from the end of `data`,
// starts; empty when `data` holds fewer, which are then taken off the number. Each piece's line ends
// are counted going forward, where memchr finds them, and the one looked for is found again by its
// place from the piece's start.
std::optional<std::size_t> FindInPieces(std::span<const char> data, std::size_t& lineEndsToFind,
                                        const LineEnds& ends) {
  for (std::size_t pieceEnd = data.size(); pieceEnd > 0;) {
    const std::size_t pieceStart = pieceEnd > kPieceSize ? pieceEnd - kPieceSize : 0;
    const std::span<const char> piece = data.subspan(pieceStart, pieceEnd - pieceStart);
    const std::size_t found = ends.Count(piece);
    if (found >= lineEndsToFind) {
      return pieceStart + ends.Nth(piece, found - lineEndsToFind) + ends.width;
    }
    lineEndsToFind -= found;
    pieceEnd = pieceStart;
  }
  return std::nullopt;
}

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
    if (const auto found = FindInPieces(data, lineEndsToFind, ends)) {
      return start + *found;
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
    for (std::size_t at = ends.Next(data, 0); at < whole; at = ends.Next(data, at + width)) {
      if (--lineEndsToSkip == 0) {
        return offset + at + width;
      }
    }
    offset += whole;
  }
  return offset;
}

namespace {

// Where the first line that begins in `data` starts: after its first line end; none when it has none. The
// unit that ends `data` closes its last line and starts none, as does a unit cut short there.
std::optional<std::size_t> FirstLineStart(std::span<const char> data, LineEnds ends) {
  const std::size_t whole = RoundedDown(data.size(), ends.width);
  const std::span<const char> searched = data.first(whole >= ends.width ? whole - ends.width : 0);
  const std::size_t lineEnd = ends.Next(searched, 0);
  return lineEnd < searched.size() ? std::optional(lineEnd + ends.width) : std::nullopt;
}

// Whether the text up to `end` ends in a line end: a line that ends before the file's end does; the
// file's last line may not. Empty when it cannot be read.
std::optional<bool> EndsInLineEnd(const ReadAtFunction& readAt, std::uint64_t end, std::uint64_t size,
                                  LineEnds ends) {
  if (end < size) {
    return true;
  }
  if (end < ends.width) {
    return false;
  }
  std::array<char, 4> unit{};
  const std::span<char> last = std::span(unit).first(ends.width);
  if (!ReadExactly(readAt, end - ends.width, last)) {
    return std::nullopt;
  }
  return ends.At(last, 0);
}

}  // namespace

// Reads back from the end a block at a time. Each block is looked at from its first line start on, so
// that what is handed over is whole lines; the next block ends there. A line longer than a block is
// read whole on its own, up to the longest a filter looks at.
std::optional<std::uint64_t> FindLastShownLinesStart(const ReadAtFunction& readAt, std::uint64_t size,
                                                     std::size_t count, std::span<char> block, LineEnds ends,
                                                     const ShownLinesFunction& shownLines) {
  if (count == 0) {
    return size;
  }
  const std::size_t width = ends.width;
  const std::size_t blockSize = RoundedDown(block.size(), width);
  std::vector<std::size_t> starts;
  std::string longLine;
  for (std::uint64_t end = size; end > 0;) {
    // Blocks start at whole units, so that the line ends found in them are too.
    const std::uint64_t start = end > blockSize ? RoundedDown(end - blockSize + width - 1, width) : 0;
    std::span<const char> lines = block.first(static_cast<std::size_t>(end - start));
    if (!ReadExactly(readAt, start, block.first(lines.size()))) {
      return std::nullopt;
    }
    std::uint64_t linesStart = start;
    if (start > 0) {
      if (const auto first = FirstLineStart(lines, ends)) {
        lines = lines.subspan(*first);
        linesStart += *first;
      } else {
        const auto lineStart = FindLastLinesStart(readAt, end, 1, block, ends);
        if (!lineStart) {
          return std::nullopt;
        }
        linesStart = *lineStart;
        // Too long to filter, as the filter stage judges it: by its text, without its line end.
        const std::optional<bool> ended = EndsInLineEnd(readAt, end, size, ends);
        if (!ended) {
          return std::nullopt;
        }
        const std::uint64_t length = end - linesStart;
        if (length - (*ended ? width : 0) > kLongestFilteredLine) {
          lines = {};
          if (--count == 0) {
            return linesStart;
          }
        } else {
          longLine.resize(static_cast<std::size_t>(length));
          if (!ReadExactly(readAt, linesStart, longLine)) {
            return std::nullopt;
          }
          lines = longLine;
        }
      }
    }
    starts.clear();
    if (!lines.empty()) {
      shownLines(lines, starts);
    }
    if (starts.size() >= count) {
      return linesStart + starts[starts.size() - count];
    }
    count -= starts.size();
    end = linesStart;
  }
  return 0;
}

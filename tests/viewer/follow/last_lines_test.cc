#include "follow/last_lines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

// Where each line of the text begins, found by splitting the whole text from the front.
std::vector<std::uint64_t> LineStarts(const std::string& text) {
  std::vector<std::uint64_t> lineStarts;
  for (std::size_t at = 0; at < text.size();) {
    lineStarts.push_back(at);
    const std::size_t newline = text.find('\n', at);
    at = newline == std::string::npos ? text.size() : newline + 1;
  }
  return lineStarts;
}

std::uint64_t StartOfLastLinesByScanningForward(const std::string& text, std::size_t count) {
  const std::vector<std::uint64_t> lineStarts = LineStarts(text);
  return count == 0 ? text.size() : count >= lineStarts.size() ? 0 : lineStarts[lineStarts.size() - count];
}

std::uint64_t StartOfLineByScanningForward(const std::string& text, std::size_t number) {
  const std::vector<std::uint64_t> lineStarts = LineStarts(text);
  return number <= 1 ? 0 : number > lineStarts.size() ? text.size() : lineStarts[number - 1];
}

using FindFunction = decltype(&FindLastLinesStart);

std::optional<std::uint64_t> Find(const std::string& text, std::size_t count, std::size_t blockSize,
                                  std::size_t readLimit = SIZE_MAX, FindFunction find = FindLastLinesStart,
                                  LineEnds ends = {}) {
  std::vector<char> block(blockSize);
  const auto readAt = [&](std::uint64_t offset, std::span<char> into) -> std::ptrdiff_t {
    const std::size_t length = std::min({into.size(), text.size() - offset, readLimit});
    std::memcpy(into.data(), text.data() + offset, length);
    return static_cast<std::ptrdiff_t>(length);
  };
  return find(readAt, text.size(), count, block, ends);
}

// Up to 60 characters, about a quarter of them newlines.
std::string RandomLines(std::mt19937& random) {
  std::string text(random() % 60, 'a');
  for (char& c : text) {
    c = random() % 4 == 0 ? '\n' : 'a';
  }
  return text;
}

TEST(FindLastLinesStart, AgreesWithAForwardScanForAnyBlockSizeAndCount) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const std::string text = RandomLines(random);
    for (std::size_t count : {0, 1, 2, 3, 7, 100}) {
      for (std::size_t blockSize : {1, 2, 3, 5, 16, 64}) {
        ASSERT_EQ(Find(text, count, blockSize), StartOfLastLinesByScanningForward(text, count))
            << "text \"" << text << "\" count " << count << " block " << blockSize;
      }
    }
  }
}

TEST(FindLineStart, AgreesWithAForwardScanForAnyBlockSizeAndLineNumber) {
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    const std::string text = RandomLines(random);
    for (std::size_t number : {0, 1, 2, 3, 7, 100}) {
      for (std::size_t blockSize : {1, 3, 16, 64}) {
        ASSERT_EQ(Find(text, number, blockSize, random() % 2 == 0 ? 2 : SIZE_MAX, FindLineStart),
                  StartOfLineByScanningForward(text, number))
            << "text \"" << text << "\" line " << number << " block " << blockSize;
      }
    }
  }
}

// Each character of the text in UTF-16: 'a', a line end, or 'x' as U+0A0A, two bytes 0A that end no line.
std::string Utf16(const std::string& text, bool bigEndian) {
  std::string units;
  for (const char c : text) {
    units += c == 'x' ? std::string("\x0A\x0A") : bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  }
  return units;
}

TEST(LineSearches, CountUtf16LineEndsAsWholeCodeUnitsInEitherByteOrder) {
  std::mt19937 random(13);
  for (int round = 0; round < 300; ++round) {
    std::string text = RandomLines(random);
    for (char& c : text) {
      c = c == 'a' && random() % 3 == 0 ? 'x' : c;
    }
    for (const bool bigEndian : {false, true}) {
      const std::string units = Utf16(text, bigEndian);
      const LineEnds ends =
          LineEnds::Of(bigEndian ? std::string_view("\0\n", 2) : std::string_view("\n\0", 2));
      for (std::size_t count : {0, 1, 2, 7}) {
        for (std::size_t blockSize : {2, 6, 64}) {
          const std::size_t readLimit = random() % 2 == 0 ? 3 : SIZE_MAX;
          ASSERT_EQ(Find(units, count, blockSize, SIZE_MAX, FindLastLinesStart, ends),
                    2 * StartOfLastLinesByScanningForward(text, count))
              << "text \"" << text << "\" count " << count << " block " << blockSize;
          ASSERT_EQ(Find(units, count, blockSize, readLimit, FindLineStart, ends),
                    2 * StartOfLineByScanningForward(text, count))
              << "text \"" << text << "\" line " << count << " block " << blockSize;
        }
      }
    }
  }
}

// A block is searched backwards in pieces of a few KiB: texts and blocks longer than a piece, in both widths.
TEST(FindLastLinesStart, AgreesWithAForwardScanAcrossPiecesOfLongBlocks) {
  std::mt19937 random(17);
  std::string text;
  while (text.size() < 20000) {
    text += RandomLines(random);
  }
  const std::string units = Utf16(text, false);
  const LineEnds ends = LineEnds::Of(std::string_view("\n\0", 2));
  for (std::size_t count : {1, 60, 700, 1500}) {
    for (std::size_t blockSize : {5000, 65536}) {
      EXPECT_EQ(Find(text, count, blockSize), StartOfLastLinesByScanningForward(text, count)) << count;
      EXPECT_EQ(Find(units, count, blockSize, SIZE_MAX, FindLastLinesStart, ends),
                2 * StartOfLastLinesByScanningForward(text, count))
          << count;
    }
  }
}

TEST(FindLastLinesStart, CopesWithShortReads) { EXPECT_EQ(Find("a\nbb\nccc\n", 2, 4, 1), 2u); }

TEST(FindLastLinesStart, FailsWhenReadingFails) {
  const auto failing = [](std::uint64_t, std::span<char>) -> std::ptrdiff_t { return -1; };
  std::vector<char> block(8);
  EXPECT_FALSE(FindLastLinesStart(failing, 100, 2, block));
}

TEST(FindLastLinesStart, ReadsOnlyTheBlocksHoldingTheLastLines) {
  std::uint64_t lowestOffset = UINT64_MAX;
  const auto readAt = [&](std::uint64_t offset, std::span<char> into) -> std::ptrdiff_t {
    lowestOffset = std::min(lowestOffset, offset);
    std::memset(into.data(), '\n', into.size());
    return static_cast<std::ptrdiff_t>(into.size());
  };
  std::vector<char> block(16);
  // Ten empty lines at the end of a terabyte: a block or two hold them.
  const std::uint64_t size = 1ull << 40;
  EXPECT_EQ(FindLastLinesStart(readAt, size, 10, block), size - 10);
  EXPECT_GE(lowestOffset, size - 2 * block.size());
}

}  // namespace

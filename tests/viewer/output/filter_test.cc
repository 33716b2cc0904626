// The filters: the pattern search, case folding, the filter stage and the search for the last lines
// shown, each against a plain reference.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "follow/last_lines.h"
#include "output/filter_stage.h"
#include "platform/charset_converter.h"
#include "recording_sink.h"
#include "text/case_fold.h"
#include "text/converted_text.h"
#include "text/patterns.h"

namespace {

// Text over few letters, so that matches, near misses and dense candidates all occur.
std::string RandomText(std::mt19937& random, std::size_t length, std::string_view letters = "aabx\n") {
  std::string text(length, ' ');
  for (char& c : text) {
    c = letters[random() % letters.size()];
  }
  return text;
}

TEST(Patterns, FindEveryOccurrenceAsAPlainSearchDoes) {
  std::mt19937 random(5);
  for (int round = 0; round < 500; ++round) {
    const std::string text = RandomText(random, random() % 3000, round % 2 == 0 ? "aabx\n" : "aaaaaab");
    const std::vector<std::string> texts{RandomText(random, 1 + random() % 4, "aabx"), "aaab"};
    const Patterns patterns({texts.begin(), texts.end()}, false, false);
    for (std::size_t index = 0; index < texts.size(); ++index) {
      for (std::size_t from = 0; from <= text.size(); from += 1 + random() % 97) {
        const std::size_t expected = text.find(texts[index], from);
        ASSERT_EQ(patterns.Find(index, std::string_view(text), from).first, expected)
            << texts[index] << " from " << from;
      }
    }
  }
}

// A text that the searched set cannot hold, such as Korean for an ASCII terminal, matches nothing there,
// not the stand-ins (`?`) its conversion would give.
TEST(Patterns, FindATextOnlyWhereItsSetCanHoldIt) {
  EXPECT_EQ(TextIn("\xED\x95\x9C", "UTF-8", "CP949"), "\xC7\xD1");
  const Patterns patterns({TextIn("\xED\x95\x9C", "UTF-8", "ASCII")}, false, false);
  EXPECT_FALSE(patterns.empty());
  EXPECT_FALSE(patterns.FoundIn("? ?? ERROR"));
}

TEST(FoldCase, FoldsLettersToLowerCaseKeepingTheLength) {
  std::string text = "ERROR \xC3\x89t\xC3\xA9 \xD0\x9F \xE2\x84\xAA \xC7\xD1";
  FoldCase(text, true);
  // The Kelvin sign's lower case letter is shorter, so it stays.
  EXPECT_EQ(text, "error \xC3\xA9t\xC3\xA9 \xD0\xBF \xE2\x84\xAA \xC7\xD1");
  std::string bytes = "ABC \xC3\x89";
  FoldCase(bytes, false);
  EXPECT_EQ(bytes, "abc \xC3\x89");
}

// The lines a plain line-by-line filter shows.
std::string FilteredLineByLine(const std::string& text, const LineFilter& filter) {
  std::string shown;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (filter.Shows(std::string_view(text).substr(at, end - at))) {
      shown += text.substr(at, end + 1 - at);
    }
    at = end + 1;
  }
  return shown;
}

TEST(FilterStage, ShowsWhatALineByLineFilterShowsHoweverTheTextIsCut) {
  std::mt19937 random(9);
  for (int round = 0; round < 300; ++round) {
    const bool ignoreCase = round % 3 == 0;
    const Patterns greps(round % 2 == 0 ? std::vector<std::optional<std::string>>{"ab", "xa"}
                                        : std::vector<std::optional<std::string>>{},
                         ignoreCase, false);
    const Patterns excludes({"bb"}, ignoreCase, false);
    const LineFilter filter(greps, excludes);
    const std::string text = RandomText(random, random() % 400, "aAbBx\n");
    Recorder recorder;
    FilterStage stage(filter, recorder, recorder);
    WriteInRandomPieces(stage, text, random, 60, 5);
    ASSERT_EQ(recorder.text, FilteredLineByLine(text, filter)) << text;
  }
}

// A line too long to hold goes out whole and unfiltered, with one note.
TEST(FilterStage, ShowsALineTooLongToHoldWithOneNote) {
  const Patterns greps({"never"}, false, false);
  const Patterns excludes;
  const LineFilter filter(greps, excludes);
  Recorder recorder;
  FilterStage stage(filter, recorder, recorder);
  const std::string line(kLongestFilteredLine + 1, 'x');
  for (int piece = 0; piece < 2; ++piece) {
    stage.Write(line);
  }
  stage.Write(std::string_view("\n"));
  EXPECT_EQ(recorder.notes, std::vector<std::string>{"a line longer than 1 MiB is shown whole, unfiltered"});
  EXPECT_EQ(recorder.text, line + line + "\n");
}

// Where each line holding a 'b' starts, a final line without a line end included.
std::vector<std::size_t> StartsOfLinesWithB(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (text.substr(at, end - at).find('b') != std::string_view::npos) {
      starts.push_back(at);
    }
    at = end + 1;
  }
  return starts;
}

// Handed the text a block of whole lines at a time, and lines longer than a block on their own.
TEST(FindLastShownLinesStart, AgreesWithAForwardScanOfTheShownLines) {
  std::mt19937 random(17);
  const auto shownLines = [](std::span<const char> lines, std::vector<std::size_t>& starts) {
    const std::vector<std::size_t> found = StartsOfLinesWithB(std::string_view(lines.data(), lines.size()));
    starts.insert(starts.end(), found.begin(), found.end());
  };
  for (int round = 0; round < 300; ++round) {
    const std::string text = RandomText(random, random() % 200);
    const auto readAt = [&](std::uint64_t offset, std::span<char> into) -> std::ptrdiff_t {
      const std::size_t length = std::min(into.size(), text.size() - offset);
      std::copy_n(text.begin() + static_cast<std::ptrdiff_t>(offset), length, into.begin());
      return static_cast<std::ptrdiff_t>(length);
    };
    const std::vector<std::size_t> starts = StartsOfLinesWithB(text);
    for (const std::size_t count : {1, 2, 5}) {
      for (const std::size_t blockSize : {1, 3, 16}) {
        std::vector<char> block(blockSize);
        const std::uint64_t expected = count > starts.size() ? 0 : starts[starts.size() - count];
        ASSERT_EQ(FindLastShownLinesStart(readAt, text.size(), count, block, {}, shownLines), expected)
            << "text \"" << text << "\" count " << count << " block " << blockSize;
      }
    }
  }
}

}  // namespace

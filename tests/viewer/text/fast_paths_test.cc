// The fast paths of case folding, the search, the line colour and decoding, each against what the plain
// way gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/colour_stage.h"
#include "output/decode_stage.h"
#include "platform/charset_converter.h"
#include "recording_sink.h"
#include "text/case_fold.h"
#include "text/converted_text.h"
#include "text/patterns.h"

namespace {

struct FoldingCase {
  const char* text;
  const char* folded;
};

class FoldedText : public ::testing::TestWithParam<FoldingCase> {};

// A byte that begins no whole character stands alone; what follows it is folded as usual.
TEST_P(FoldedText, FoldsEveryWholeCharacter) {
  std::string text = GetParam().text;
  FoldCase(text, true);
  EXPECT_EQ(text, GetParam().folded);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FoldedText,
    ::testing::Values(FoldingCase{"\xC3\xC3\x89t", "\xC3\xC3\xA9t"},
                      FoldingCase{"\xE2\x82\xC3\x89", "\xE2\x82\xC3\xA9"},
                      // An overlong form is no character; a character of four bytes has its own way.
                      FoldingCase{"\xE0\x81\x81\xC3\x89", "\xE0\x81\x81\xC3\xA9"},
                      FoldingCase{"\xF0\x90\x90\x80 \xEA\xB0\x80 \xD0\x9F",
                                  "\xF0\x90\x90\xA8 \xEA\xB0\x80 \xD0\xBF"}));

// A text of ASCII only is searched in text whose other characters are not folded: it must match as in
// the fully folded text, and one beyond ASCII after a stray byte.
TEST(Patterns, FindCaseBlindWhereTheFullyFoldedTextHoldsThem) {
  const Patterns ascii({"timeout"}, true, true);
  EXPECT_TRUE(ascii.FoundIn("\xC3\x89 TimeOut"));
  EXPECT_FALSE(ascii.FoundIn("TIME\xC3\x89OUT"));
  const Patterns accented({"\xC3\xA9t"}, true, true);
  EXPECT_TRUE(accented.FoundIn("x\xC3\xC3\x89T"));
}

// How much of the searched text a case-blind text needs folded: none for characters without case
// (Hangul, digits, signs), the ASCII letters beside them, all for a letter with case beyond ASCII, for
// U+00DF, which U+1E9E folds into though it has no upper case of its own, and for a Cherokee small
// letter, whose capital lies in another page.
struct FoldingNeededCase {
  const char* text;
  FoldingNeeded needed;
};

class FoldingNeededFor : public ::testing::TestWithParam<FoldingNeededCase> {};

TEST_P(FoldingNeededFor, CaseBlindText) { EXPECT_EQ(FoldingFor(GetParam().text, true), GetParam().needed); }

INSTANTIATE_TEST_SUITE_P(
    Texts, FoldingNeededFor,
    ::testing::Values(FoldingNeededCase{"\xEC\x8B\xA4\xED\x8C\xA8 12:30 ->", FoldingNeeded::kNone},
                      FoldingNeededCase{"\xEC\x9A\x94\xEC\xB2\xAD timeout", FoldingNeeded::kAscii},
                      FoldingNeededCase{"\xC3\xA9t", FoldingNeeded::kFull},
                      FoldingNeededCase{"\xC3\x9F", FoldingNeeded::kFull},
                      FoldingNeededCase{"\xEA\xAD\xB0", FoldingNeeded::kFull},
                      FoldingNeededCase{"\xEC\x8B", FoldingNeeded::kFull}));

// The byte searched for is learned from the text: one common there ('m', in "ms") must not hide the
// lines, as the search goes on over many blocks and its plans are made again.
TEST(Patterns, FindWhateverBytesTheLogMakesCommon) {
  const Patterns patterns({"timeout", "m"}, false, false);
  std::string block;
  for (int line = 0; line < 2000; ++line) {
    block += line % 997 == 3 ? "status=timeout elapsed=3ms\n" : "status=ok elapsed=37ms\n";
  }
  for (int round = 0; round < 200; ++round) {
    for (std::size_t from = 0, expected = block.find("timeout"); expected != std::string::npos;
         from = expected + 1, expected = block.find("timeout", from)) {
      ASSERT_EQ(patterns.Find(0, std::string_view(block), from).first, expected) << "round " << round;
    }
    ASSERT_EQ(patterns.Find(0, std::string_view(block), block.rfind("timeout") + 1).first, std::string::npos);
  }
}

// A long text (searched, where its candidates fail, by Knuth-Morris-Pratt's search) over near misses:
// candidates that fail at once, runs that match all of it but one byte, and overlapping occurrences.
TEST(Patterns, FindALongTextAmongNearMissesAsAPlainSearchDoes) {
  const std::string text = std::string(299, 'a') + "b";
  std::string log;
  for (int block = 0; block < 40; ++block) {
    log += "bcbcbcbc" + std::string(static_cast<std::size_t>(150 + block * 7), 'a') + "b" + text;
    log += block % 3 == 0 ? text.substr(1) + "b" : "";
  }
  const Patterns patterns({text}, false, false);
  for (std::size_t from = 0;; ++from) {
    const std::size_t expected = log.find(text, from);
    ASSERT_EQ(patterns.Find(0, std::string_view(log), from).first, expected) << "from " << from;
    if (expected == std::string::npos) {
      break;
    }
    from = expected;
  }
}

// A text given again, or in another case with case ignored, keeps the colour of its first giving, also
// among many occurrences (which the sort of occurrences does not keep in order).
TEST(ColourStage, HighlightsATextGivenTwiceInItsFirstColour) {
  std::string line;
  std::string expected;
  for (int pair = 0; pair < 20; ++pair) {
    line += "rR";
    expected += "\x1b[30;46mr\x1b[0m\x1b[30;46mR\x1b[0m";
  }
  for (const std::vector<std::optional<std::string>>& texts :
       {std::vector<std::optional<std::string>>{"r", "R"}, {"R", "R", "x"}}) {
    Recorder recorder;
    ColourStage colour(nullptr, nullptr, recorder);
    const Patterns highlights(texts, true, true);
    colour.UseHighlights(&highlights);
    colour.Write(line + "\n");
    EXPECT_EQ(recorder.text, expected + "\n");
  }
}

TEST(ColourStage, ColoursByAWordFoundPastFalseCandidates) {
  Recorder recorder;
  ColourStage colour(nullptr, nullptr, recorder);
  colour.Write(std::string_view("RL xFATAL FATALITY LATER ERRORS WARNER FATAL\nRARE WARN\n"));
  EXPECT_EQ(recorder.text,
            "\x1b[31mRL xFATAL FATALITY LATER ERRORS WARNER FATAL\x1b[0m\n\x1b[33mRARE WARN\x1b[0m\n");
}

struct AsciiCase {
  const char* charset;
  bool keeps;
  // Windows' code page 1258 gives a letter back at once; glibc's holds it for a tone mark that may follow.
  bool keepsOnWindows = keeps;
};

void PrintTo(const AsciiCase& testCase, std::ostream* out) { *out << testCase.charset; }

class AsciiKept : public ::testing::TestWithParam<AsciiCase> {};

TEST_P(AsciiKept, IsToldByTheConverterItself) {
  const std::unique_ptr<platform::CharsetConverter> converter =
      platform::OpenConverter(GetParam().charset, "UTF-8");
#ifdef _WIN32
  if (converter == nullptr) {
    GTEST_SKIP() << "Windows' code pages have no converter for " << GetParam().charset;
  }
#endif
  ASSERT_NE(converter, nullptr);
#ifdef _WIN32
  EXPECT_EQ(KeepsAscii(*converter), GetParam().keepsOnWindows);
#else
  EXPECT_EQ(KeepsAscii(*converter), GetParam().keeps);
#endif
}

INSTANTIATE_TEST_SUITE_P(Charsets, AsciiKept,
                         ::testing::Values(AsciiCase{"CP949", true}, AsciiCase{"EUC-KR", true},
                                           AsciiCase{"GB18030", true}, AsciiCase{"ISO-8859-1", true},
                                           AsciiCase{"UTF-16LE", false}, AsciiCase{"ISO-2022-KR", false},
                                           AsciiCase{"UTF-7", false}, AsciiCase{"IBM037", false},
                                           AsciiCase{"CP1258", false, true}));

// Runs of ASCII pass the converter by, also where one begins with the second byte of a character
// (B0 41 in code page 949) or the text is cut inside a stretch, a character or a run.
TEST(DecodeStage, PassesRunsOfAsciiByAsAPlainConversionWouldGiveThem) {
  const std::string cp949 =
      "2026-12-09 INFO user=\xB1\xE8\xB9\xCE\xBC\xF6 req=1 \xBF\xE4\xC3\xBB\xB0\x41"
      "BCDEFGHIJ status=ok\n"
      "\xFF long ASCII \xC8\x41 run \xC7\xD1\xB0";
  const std::unique_ptr<platform::CharsetConverter> plain = platform::OpenConverter("CP949", "UTF-8");
  const std::string expected = ConvertedText(*plain, cp949);
  for (std::size_t first = 0; first <= cp949.size(); ++first) {
    for (std::size_t second = first; second <= cp949.size(); second += 7) {
      Recorder recorder;
      DecodeStage decoder(platform::OpenConverter("CP949", "UTF-8"), recorder);
      decoder.Write(std::string_view(cp949).substr(0, first));
      decoder.Write(std::string_view(cp949).substr(first, second - first));
      decoder.Write(std::string_view(cp949).substr(second));
      decoder.EndOfFile();
      ASSERT_EQ(recorder.text, expected) << "cut at " << first << " and " << second;
    }
  }
}

}  // namespace

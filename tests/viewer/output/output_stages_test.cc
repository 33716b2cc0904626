// The decode, colour and visible stages, each alone in front of a sink that records what reaches it.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "output/colour_stage.h"
#include "output/decode_stage.h"
#include "output/visible_stage.h"
#include "platform/output.h"
#include "recording_sink.h"
#include "text/converted_text.h"
#include "text/visible_text.h"

namespace {

DecodeStage OpenDecoder(const char* from, const char* to, platform::OutputSink& next) {
  std::unique_ptr<platform::CharsetConverter> converter = platform::OpenConverter(from, to);
  if (converter == nullptr) {
    throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
  }
  return DecodeStage(std::move(converter), next);
}

// The text without its escape sequences "ESC [ digits m".
std::string WithoutEscapeSequences(std::string text) {
  for (std::size_t escape = 0; (escape = text.find("\x1b[", escape)) != std::string::npos;) {
    text.erase(escape, text.find('m', escape) + 1 - escape);
  }
  return text;
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U; }

// "한국 ", an invalid byte, " b", "어", a lead byte without its trail byte, and a newline, in code page 949.
const std::string kCp949 = "a\xC7\xD1\xB1\xB9 \xFF b\xBE\xEE\xC7\n";
const std::string kUtf8 = "a\xED\x95\x9C\xEA\xB5\xAD \xEF\xBF\xBD b\xEC\x96\xB4\xEF\xBF\xBD\n";

TEST(DecodeStage, GivesTheSameTextWhereverTheInputIsCutAndNeverHalfACharacter) {
  for (std::size_t cut = 0; cut <= kCp949.size(); ++cut) {
    Recorder recorder;
    DecodeStage decoder = OpenDecoder("CP949", "UTF-8", recorder);
    ASSERT_EQ(decoder.Write(std::span(kCp949).first(cut)), platform::WriteResult::kWritten);
    const std::string beforeTheCut = recorder.text;
    ASSERT_EQ(decoder.Write(std::span(kCp949).subspan(cut)), platform::WriteResult::kWritten);
    EXPECT_EQ(recorder.text, kUtf8) << "cut at " << cut;
    EXPECT_TRUE(kUtf8.starts_with(beforeTheCut) &&
                (beforeTheCut.size() == kUtf8.size() || !IsUtf8Continuation(kUtf8[beforeTheCut.size()])))
        << "cut at " << cut << ": " << beforeTheCut;
  }
}

TEST(DecodeStage, GivesTheSameTextFedAByteAtATime) {
  Recorder recorder;
  DecodeStage decoder = OpenDecoder("CP949", "UTF-8", recorder);
  for (const char byte : kCp949) {
    decoder.Write(std::span(&byte, 1));
  }
  EXPECT_EQ(recorder.text, kUtf8);
}

TEST(DecodeStage, ShowsACharacterLeftIncompleteAtTheEndAsInvalid) {
  Recorder recorder;
  DecodeStage decoder = OpenDecoder("CP949", "UTF-8", recorder);
  decoder.Write(std::string_view("x\xC7"));
  EXPECT_EQ(recorder.text, "x");
  decoder.EndOfFile();
  EXPECT_EQ(recorder.text, "x\xEF\xBF\xBD");
}

// Sets whose converters hold a letter back for a combining mark that may follow it: the text's last
// letter comes out at its end, in the stage's output and in a line converted whole.
struct HeldLetterCase {
  const char* set;
  std::string text;
  std::string lastLetter;
};

class HeldLetter : public ::testing::TestWithParam<HeldLetterCase> {};

TEST_P(HeldLetter, ComesOutAtTheEndOfTheText) {
  Recorder recorder;
  DecodeStage decoder = OpenDecoder(GetParam().set, "UTF-8", recorder);
  decoder.Write(GetParam().text);
  decoder.EndOfFile();
  EXPECT_TRUE(recorder.text.ends_with(GetParam().lastLetter)) << recorder.text;
  const auto converter = platform::OpenConverter(GetParam().set, "UTF-8");
  EXPECT_EQ(ConvertedText(*converter, GetParam().text), recorder.text);
}

INSTANTIATE_TEST_SUITE_P(Sets, HeldLetter,
                         ::testing::Values(HeldLetterCase{"CP1258", "Vi\xD2t Nam", "Nam"},
                                           HeldLetterCase{"CP1255", "\xF9\xEC\xE5\xED", "\xD7\x9D"}),
                         [](const auto& info) { return std::string(info.param.set); });

TEST(DecodeStage, WritesAQuestionMarkWhereTheOutputSetHasNoReplacementCharacter) {
  Recorder recorder;
  DecodeStage decoder = OpenDecoder("CP949", "ASCII", recorder);
  decoder.Write(kCp949);
  EXPECT_EQ(recorder.text, "a?? ? b??\n");
}

TEST(DecodeStage, PassesTextLargerThanItsBlockInBoundedWrites) {
  std::string korean;
  std::string expected;
  for (int i = 0; i < 100000; ++i) {
    korean += "\xC7\xD1";
    expected += "\xED\x95\x9C";
  }
  Recorder recorder;
  DecodeStage decoder = OpenDecoder("CP949", "UTF-8", recorder);
  decoder.Write(korean);
  EXPECT_EQ(recorder.text, expected);
  EXPECT_LE(recorder.largestWrite, OutputBlock::kDefaultSize);
}

struct ColourCase {
  const char* input;
  const char* expected;
};

void PrintTo(const ColourCase& testCase, std::ostream* out) {
  *out << ::testing::PrintToString(testCase.input);
}

class ColourLines : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColourLines, ColoursWholeLinesByTheirWords) {
  Recorder recorder;
  ColourStage colour(nullptr, nullptr, recorder);
  colour.Write(std::string_view(GetParam().input));
  EXPECT_EQ(recorder.text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ColourLines,
    ::testing::Values(ColourCase{"plain\n", "plain\n"},
                      ColourCase{"ERROR here\n", "\x1b[31mERROR here\x1b[0m\n"},
                      ColourCase{"a [FATAL] b\r\n", "\x1b[31ma [FATAL] b\x1b[0m\r\n"},
                      ColourCase{"WARN x\nWARNING: y\n",
                                 "\x1b[33mWARN x\x1b[0m\n\x1b[33mWARNING: y\x1b[0m\n"},
                      ColourCase{"WARN, then ERROR\n", "\x1b[31mWARN, then ERROR\x1b[0m\n"},
                      ColourCase{"ERRORS error xERROR ERROR_1 WARNED 2WARN\n",
                                 "ERRORS error xERROR ERROR_1 WARNED 2WARN\n"},
                      ColourCase{"\xED\x95\x9C ERROR\n\n", "\x1b[31m\xED\x95\x9C ERROR\x1b[0m\n\n"},
                      ColourCase{"a\nERROR, no newline yet", "a\n"}));

// Colour does not depend on where reads cut a line, only on whether its start had to go out while
// waiting for the writer.
TEST(ColourStage, HoldsALinesStartWhileMoreIsAtHandAndLetsItGoUncolouredBeforeAWait) {
  Recorder recorder;
  ColourStage colour(nullptr, nullptr, recorder);
  colour.Write(std::string_view("x ERR"));
  EXPECT_EQ(recorder.text, "");
  colour.Write(std::string_view("OR\nERROR"));
  EXPECT_EQ(recorder.text, "\x1b[31mx ERROR\x1b[0m\n");
  colour.Idle();
  EXPECT_EQ(recorder.text, "\x1b[31mx ERROR\x1b[0m\nERROR");
  colour.Write(std::string_view(" more\nERROR"));
  colour.EndOfFile();
  EXPECT_EQ(recorder.text, "\x1b[31mx ERROR\x1b[0m\nERROR more\n\x1b[31mERROR\x1b[0m");
}

// Each text in a colour of its own, the line's colour taken up again after it; of overlapping
// occurrences the earliest, and of those the longest; in each line of a block written at once.
TEST(ColourStage, HighlightsEachOccurrenceOfTheTexts) {
  Recorder recorder;
  ColourStage colour(nullptr, nullptr, recorder);
  const Patterns highlights({"time", "timeout", "out"}, true, true);
  colour.UseHighlights(&highlights);
  colour.Write(std::string_view("plain\nERROR Timeout, out\nplain\nan out\r\n"));
  EXPECT_EQ(
      recorder.text,
      "plain\n\x1b[31mERROR \x1b[30;42mTimeout\x1b[0m\x1b[31m, \x1b[30;45mout\x1b[0m\x1b[31m\x1b[0m\nplain\n"
      "an \x1b[30;45mout\x1b[0m\r\n");
}

// An occurrence that a coloured one before it does not overlap is coloured, though an earlier one of the
// same text was overlapped, as grep --color colours them.
TEST(ColourStage, HighlightsAnOccurrenceThatNoColouredOneOverlaps) {
  Recorder recorder;
  const Patterns highlights({"xa", "aa"}, false, true);
  ColourStage colour(&highlights, nullptr, recorder);
  colour.Write(std::string_view("xaaa\n"));
  EXPECT_EQ(recorder.text, "\x1b[30;46mxa\x1b[0m\x1b[30;42maa\x1b[0m\n");
}

TEST(ColourStage, ChangesNothingButTheEscapeSequencesHoweverTheInputIsCut) {
  const char* const words[] = {"ERROR", "WARN", "FATAL", "ok", " ", "\n", "\r\n", "\xED\x95\x9C"};
  std::mt19937 random(3);
  for (int round = 0; round < 200; ++round) {
    std::string input;
    for (int i = 0; i < 40; ++i) {
      input += words[random() % std::size(words)];
    }
    Recorder recorder;
    ColourStage colour(nullptr, nullptr, recorder);
    WriteInRandomPieces(colour, input, random, 30, 4);
    EXPECT_EQ(WithoutEscapeSequences(recorder.text), input);
  }
}

}  // namespace

namespace {

struct VisibleCase {
  const char* input;
  const char* shown;
};

void PrintTo(const VisibleCase& testCase, std::ostream* out) {
  *out << ::testing::PrintToString(testCase.input);
}

class VisibleControls : public ::testing::TestWithParam<VisibleCase> {};

// However the text is cut into writes, the same visible text comes out, as it does of a name.
TEST_P(VisibleControls, ShowsEachControlVisiblyWhereverTheTextIsCut) {
  const std::string input = GetParam().input;
  EXPECT_EQ(VisibleText(input, true), GetParam().shown);
  for (std::size_t cut = 0; cut <= input.size(); ++cut) {
    Recorder recorder;
    VisibleStage visible(true, recorder);
    visible.Write(std::span(input).first(cut));
    visible.Write(std::span(input).subspan(cut));
    visible.EndOfFile();
    EXPECT_EQ(recorder.text, GetParam().shown) << "cut at " << cut;
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, VisibleControls,
                         ::testing::Values(VisibleCase{"plain\ttext\n", "plain\ttext\n"},
                                           VisibleCase{"a\x1b]0;PWNED\a\x1b[2J\n", "a^[]0;PWNED^G^[[2J\n"},
                                           VisibleCase{"crlf\r\nlone\rcr\r", "crlf\r\nlone^Mcr^M"},
                                           VisibleCase{"del\x7f nul\x01\x1f", "del^? nul^A^_"},
                                           VisibleCase{
                                               "c1 \xC2\x9B"
                                               "31m \xC2\x85 kept \xC2\xA0\xC3\xA9\xC2",
                                               "c1 <U+009B>31m <U+0085> kept \xC2\xA0\xC3\xA9\xEF\xBF\xBD"}));

TEST(VisibleStage, LeavesC1BytesAloneInTextThatIsNotUtf8) {
  Recorder recorder;
  VisibleStage visible(false, recorder);
  visible.Write(std::string_view("\xC2\x9B\x1b"));
  EXPECT_EQ(recorder.text, "\xC2\x9B^[");
}

}  // namespace

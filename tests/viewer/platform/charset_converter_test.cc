// The system's character set converters (iconv on POSIX, the code page calls and cmdtail's own UTF-16
// reading on Windows), as the decode stage drives them.
#include "platform/charset_converter.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "text/converted_text.h"

namespace {

struct ConversionCase {
  const char* name;
  const char* from;
  std::string in;
  // In UTF-8.
  std::string out;
};

void PrintTo(const ConversionCase& testCase, std::ostream* out) { *out << testCase.name; }

// Converts `in` in two calls, cut at `cut`; what the first call leaves unread, a character cut short,
// goes again at the head of the second.
std::string ConvertedInTwo(platform::CharsetConverter& converter, const std::string& in, std::size_t cut) {
  std::array<char, 64> block{};
  const platform::CharsetConverter::Progress first =
      converter.Convert(std::string_view(in).substr(0, cut), block);
  EXPECT_NE(first.stop, platform::CharsetConverter::Stop::kInvalid) << "cut at " << cut;
  std::string out(block.data(), first.written);
  const std::string rest = in.substr(first.read);
  const platform::CharsetConverter::Progress second = converter.Convert(rest, block);
  EXPECT_EQ(second.stop, platform::CharsetConverter::Stop::kDone) << "cut at " << cut;
  EXPECT_EQ(second.read, rest.size()) << "cut at " << cut;
  return out.append(block.data(), second.written);
}

class ValidText : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ValidText, ConvertsInWholeCharactersWhereverTheInputIsCut) {
  const std::unique_ptr<platform::CharsetConverter> converter =
      platform::OpenConverter(GetParam().from, "UTF-8");
  ASSERT_NE(converter, nullptr);
  for (std::size_t cut = 0; cut <= GetParam().in.size(); ++cut) {
    EXPECT_EQ(ConvertedInTwo(*converter, GetParam().in, cut), GetParam().out) << "cut at " << cut;
  }
}

// "a", U+D55C, U+1F600 (a surrogate pair in UTF-16) and a line end.
const std::string kUtf8 = "a\xED\x95\x9C\xF0\x9F\x98\x80\n";

INSTANTIATE_TEST_SUITE_P(
    Sets, ValidText,
    ::testing::Values(ConversionCase{"Cp949", "CP949", "a\xC7\xD1\xB1\xB9\n", "a\xED\x95\x9C\xEA\xB5\xAD\n"},
                      ConversionCase{"Utf8", "UTF-8", kUtf8, kUtf8},
                      ConversionCase{"Utf16LittleEndian", "UTF-16LE",
                                     std::string("a\0\x5C\xD5\x3D\xD8\x00\xDE\n\0", 10), kUtf8},
                      ConversionCase{"Utf16BigEndian", "UTF-16BE",
                                     std::string("\0a\xD5\x5C\xD8\x3D\xDE\x00\0\n", 10), kUtf8}),
    [](const auto& info) { return info.param.name; });

class InvalidText : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(InvalidText, GivesTheReplacementForEachInvalidUnit) {
  const std::unique_ptr<platform::CharsetConverter> converter =
      platform::OpenConverter(GetParam().from, "UTF-8");
  ASSERT_NE(converter, nullptr);
  EXPECT_EQ(converter->Replacement(), "\xEF\xBF\xBD");
  EXPECT_EQ(ConvertedText(*converter, GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Sets, InvalidText,
                         ::testing::Values(ConversionCase{"Cp949", "CP949",
                                                          "a\xFF"
                                                          "b",
                                                          "a\xEF\xBF\xBD"
                                                          "b"},
                                           ConversionCase{"Utf16LoneLowSurrogate", "UTF-16LE",
                                                          std::string("a\0\x00\xDC"
                                                                      "b\0",
                                                                      6),
                                                          "a\xEF\xBF\xBD"
                                                          "b"},
                                           ConversionCase{"Utf16HighSurrogateWithoutItsPair", "UTF-16BE",
                                                          std::string("\xD8\x3D\0b", 4),
                                                          "\xEF\xBF\xBD"
                                                          "b"}),
                         [](const auto& info) { return info.param.name; });

TEST(OpenConverter, RefusesASetTheSystemDoesNotKnow) {
  EXPECT_EQ(platform::OpenConverter("NO-SUCH-SET", "UTF-8"), nullptr);
  EXPECT_EQ(platform::OpenConverter("UTF-8", "NO-SUCH-SET"), nullptr);
}

}  // namespace

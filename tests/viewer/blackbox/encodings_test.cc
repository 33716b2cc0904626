// cmdtail decoding a log: a character cut by a truncation, a stateful encoding, byte order marks and
// UTF-16 counted in whole characters, each new file read by its own mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <tuple>

#include "cmdtail_fixture.h"

namespace {

TEST_F(CmdtailTest, NeverJoinsAHalfCharacterToWhatFollowsATruncation) {
  // Half a code page 949 character; truncated to one byte that would complete it.
  WriteFile(log_, "a\xC7");
  ChildProcess viewer({"/usr/bin/env", "LC_ALL=C.UTF-8", CMDTAIL_PATH, "--encoding=CP949", "-f", log_});
  ASSERT_TRUE(viewer.WaitForOut("a"));
  WriteFile(log_, "\xA1");
  ASSERT_TRUE(viewer.WaitForOut("a\xEF\xBF\xBD")) << viewer.out();
  AppendFile(log_, "\xA1\n");
  EXPECT_TRUE(viewer.WaitForOut("a\xEF\xBF\xBD\xE3\x80\x80\n")) << viewer.out();
}

TEST_F(CmdtailTest, ReadsAStatefulEncodingFromItsInitialStateAfterATruncation) {
  // ISO-2022-KR shifted out to Korean for one character, and never shifted back.
  WriteFile(log_, "\x1b$)C\x0e\x30\x21");
  ChildProcess viewer({"/usr/bin/env", "LC_ALL=C.UTF-8", CMDTAIL_PATH, "--encoding=ISO-2022-KR", "-f", log_});
  ASSERT_TRUE(viewer.WaitForOut("\xEA\xB0\x80")) << viewer.out();
  WriteFile(log_, "abc\n");
  EXPECT_TRUE(
      viewer.WaitForOut("\xEA\xB0\x80"
                        "abc\n"))
      << viewer.out();
}

// Text in UTF-16, from ASCII and U+0A05, whose code unit holds a byte 0A that ends no line.
std::string Utf16(std::string_view text, bool bigEndian) {
  std::string units;
  for (const char c : text) {
    const std::string unit = c == '@' ? std::string("\x05\x0A") : std::string{c, '\0'};
    units += bigEndian ? std::string{unit[1], unit[0]} : unit;
  }
  return units;
}

const std::string kUtf16Lines = "one\r\n@two\r\nthree@\r\n";
const std::string kShownUtf8 = "\xE0\xA8\x85two\r\nthree\xE0\xA8\x85\r\n";

struct MarkedCase {
  const char* name;
  std::string content;
  std::vector<std::string> options;
};

void PrintTo(const MarkedCase& testCase, std::ostream* out) { *out << testCase.name; }

class EncodingOfTheFileTest : public CmdtailTest,
                              public ::testing::WithParamInterface<std::tuple<MarkedCase, bool>> {};

// The last lines are counted in whole characters, and a byte order mark is never shown. Through a pipe,
// from line 2 on, the stream is told by its mark too, its writes cut inside the mark and a line end.
TEST_P(EncodingOfTheFileTest, ShowsTheLastLinesAsText) {
  const auto& [marked, throughAPipe] = GetParam();
  WriteFile(log_, marked.content);
  std::vector<std::string> argv{"/usr/bin/env", "-u", "CMDTAIL_ENCODING",       "LC_ALL=C.UTF-8",
                                CMDTAIL_PATH,   "-n", throughAPipe ? "+2" : "2"};
  argv.insert(argv.end(), marked.options.begin(), marked.options.end());
  argv.push_back(throughAPipe ? "-" : log_);
  ChildProcess viewer(argv, {.pipeIn = throughAPipe});
  if (throughAPipe) {
    for (const auto& [from, to] : {std::pair{0, 1}, {1, 11}, {11, -1}}) {
      viewer.WriteIn(marked.content.substr(from, to < 0 ? std::string::npos : to - from));
      viewer.ReadFor(20ms);
    }
    viewer.CloseIn();
  }
  EXPECT_EQ(viewer.WaitForExit(), 0);
  EXPECT_EQ(viewer.out(), kShownUtf8);
}

INSTANTIATE_TEST_SUITE_P(
    Marks, EncodingOfTheFileTest,
    ::testing::Combine(
        ::testing::Values(
            MarkedCase{"Utf16LittleEndianMark", "\xFF\xFE" + Utf16(kUtf16Lines, false), {}},
            MarkedCase{"Utf16BigEndianMark", "\xFE\xFF" + Utf16(kUtf16Lines, true), {}},
            MarkedCase{"Utf8Mark", "\xEF\xBB\xBFone\r\n" + kShownUtf8, {}},
            MarkedCase{
                "Utf16AskedForWithItsMark", "\xFF\xFE" + Utf16(kUtf16Lines, false), {"--encoding=UTF-16"}},
            MarkedCase{"Utf16BigEndianAskedFor", Utf16(kUtf16Lines, true), {"--encoding=UTF-16BE"}}),
        ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "ThroughAPipe" : "");
    });

class WideSetTest : public CmdtailTest, public ::testing::WithParamInterface<const char*> {};

// A set whose code unit is wider than a byte, under any name the system knows, has its lines counted
// by its own line feed, as iconv -f NAME | tail counts them: from the end and from line K, past U+0A05,
// whose unit holds a byte 0A that ends no line.
TEST_P(WideSetTest, CountsLinesByItsOwnLineFeed) {
  Shell(directory_.path(),
        std::string("printf 'one\\ntwo\\n\\340\\250\\205three\\n' | iconv -t '") + GetParam() + "' >app.log");
  for (const auto& [lines, shown] :
       {std::pair{"2", "two\n\xE0\xA8\x85three\n"}, {"+3", "\xE0\xA8\x85three\n"}}) {
    ChildProcess viewer(
        {"/usr/bin/env", "LC_ALL=C.UTF-8", CMDTAIL_PATH, "--encoding", GetParam(), "-n", lines, log_});
    EXPECT_EQ(viewer.WaitForExit(), 0) << viewer.err();
    EXPECT_EQ(viewer.out(), shown) << "-n " << lines;
  }
}

INSTANTIATE_TEST_SUITE_P(Names, WideSetTest,
                         ::testing::Values("UTF-32LE", "UTF-32BE", "UTF-32", "UCS-4", "UCS-2",
                                           "UNICODELITTLE", "UNICODEBIG", "UTF-16LE//IGNORE"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace_if(
                               name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                           return name;
                         });

// A new file after a rotation is read in the encoding of its own mark.
TEST_F(CmdtailTest, FollowsAUtf16LogAndReadsEachNewFileByItsOwnMark) {
  WriteFile(log_, "\xFF\xFE" + Utf16("old\r\n", false));
  ChildProcess viewer({"/usr/bin/env", "-u", "CMDTAIL_ENCODING", "LC_ALL=C.UTF-8", CMDTAIL_PATH, "-f", log_});
  ASSERT_TRUE(viewer.WaitForOut("old\r\n")) << viewer.out();
  // A character cut between two writes.
  AppendFile(log_, Utf16("@", false).substr(0, 1));
  AppendFile(log_, Utf16("@", false).substr(1) + Utf16("\r\n", false));
  ASSERT_TRUE(viewer.WaitForOut("old\r\n\xE0\xA8\x85\r\n")) << viewer.out();
  ASSERT_EQ(rename(log_.c_str(), directory_.File("app.log.1").c_str()), 0);
  WriteFile(log_, "\xFE\xFF" + Utf16("new\n", true));
  EXPECT_TRUE(viewer.WaitForOut("old\r\n\xE0\xA8\x85\r\nnew\n")) << viewer.out();
}

}  // namespace

// cmdtail showing the last lines of a file, one named in Windows form among them.
#include <gtest/gtest.h>

#include <algorithm>

#include "cmdtail_fixture.h"

namespace {

struct LastLinesCase {
  const char* name;
  std::string content;
  std::vector<std::string> options;
  std::string expected;
};

void PrintTo(const LastLinesCase& testCase, std::ostream* out) { *out << testCase.name; }

class LastLinesTest : public CmdtailTest, public ::testing::WithParamInterface<LastLinesCase> {};

TEST_P(LastLinesTest, ShowsExactlyTheLastLines) {
  WriteFile(log_, GetParam().content);
  auto viewer = Start(GetParam().options, log_);
  ASSERT_TRUE(viewer->WaitForOut(GetParam().expected)) << viewer->out();
  // Waiting for the log to change, it has shown all the last lines it found.
  ASSERT_TRUE(viewer->WaitUntil([&] { return viewer->IsPolling(); }));
  EXPECT_TRUE(ShowsNothingMoreThan(*viewer, log_, GetParam().expected)) << viewer->out();
  EXPECT_EQ(viewer->err(), "");
}

const std::string kLongLine(150000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Files, LastLinesTest,
    ::testing::Values(LastLinesCase{"TenByDefault", NumberedLines(1, 25), {}, NumberedLines(16, 25)},
                      LastLinesCase{"FinalLineWithoutNewline", "a\nb\nc", {"-n", "2"}, "b\nc"},
                      LastLinesCase{"FewerLinesThanAsked", "a\nb\n", {"-n", "5"}, "a\nb\n"},
                      LastLinesCase{"EmptyFile", "", {}, ""},
                      LastLinesCase{"EmptyLines", "\n\n\n\n", {"-n", "3"}, "\n\n\n"},
                      LastLinesCase{"NoLinesAsked", "a\nb\n", {"-n", "0"}, ""},
                      // Not too long to filter: hidden, and the line before it shown instead (the test's
                      // marker line is shown too).
                      LastLinesCase{"FilteredBesideALineOfTheLongestFilteredLength",
                                    "X1\nX2\nX3\n" + std::string(std::size_t{1024} * 1024, 'a') + "\nX4\n",
                                    {"-n", "2", "--grep=X", "--grep=marker"},
                                    "X3\nX4\n"},
                      LastLinesCase{"LinesLongerThanABlock",
                                    "1" + kLongLine + "\n2" + kLongLine + "\n3" + kLongLine,
                                    {"-n", "2"},
                                    "2" + kLongLine + "\n3" + kLongLine}),
    [](const auto& info) { return info.param.name; });

TEST_F(CmdtailTest, ReadsAWindowsFormPathWithBackslashes) {
  WriteFile(log_, "a\nb\n");
  std::string windowsForm = log_;
  std::replace(windowsForm.begin(), windowsForm.end(), '/', '\\');
  auto viewer = Start({"-n", "1"}, windowsForm);
  EXPECT_TRUE(viewer->WaitForOut("b\n"));
}

}  // namespace

// What reaches cmdtail's output: the log's control characters on a terminal, colour wherever the
// reads cut the lines, and a failing output named.
#include <gtest/gtest.h>

#include "cmdtail_fixture.h"

namespace {

class TerminalTest : public CmdtailTest,
                     public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

// On a terminal (a pseudo-terminal, which ends lines in CR LF) the log's escape sequences never reach it
// as such, unless asked for.
TEST_P(TerminalTest, ShowsTheLogsControlCharactersAsAskedFor) {
  WriteFile(log_, "a\x1b]0;PWNED\a\x1b[2J\n");
  ChildProcess viewer(
      {"/usr/bin/script", "-qec",
       std::string("env NO_COLOR=1 '") + CMDTAIL_PATH + "' " + GetParam().first + " '" + log_ + "'",
       "/dev/null"});
  EXPECT_EQ(viewer.WaitForExit(), 0);
  EXPECT_EQ(viewer.out(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Options, TerminalTest,
                         ::testing::Values(std::pair{"-n 1", "a^[]0;PWNED^G^[[2J\r\n"},
                                           std::pair{"--raw -n 1", "a\x1b]0;PWNED\a\x1b[2J\r\n"}),
                         [](const auto& info) { return info.index == 0 ? "Visible" : "Raw"; });

// Wherever the reads of the file cut its lines, every complete ERROR line comes out red.
TEST_F(CmdtailTest, ColoursEveryCompleteLineWhereverTheReadsCutIt) {
  std::string content;
  for (int i = 0; i < 5000; ++i) {
    content +=
        (i % 3 == 0 ? "ERROR " : "ok ") + std::string(static_cast<std::size_t>(i * 7919 % 3000), 'x') + "\n";
  }
  WriteFile(log_, content);
  ChildProcess viewer({CMDTAIL_PATH, "-n", "+1", "--color=always", log_});
  ASSERT_EQ(viewer.WaitForExit(), 0);
  std::size_t errorLines = 0;
  for (std::size_t at = 0; at < viewer.out().size();) {
    const std::size_t end = viewer.out().find('\n', at);
    const std::string line = viewer.out().substr(at, end - at);
    if (line.find("ERROR") != std::string::npos) {
      ++errorLines;
      EXPECT_TRUE(line.starts_with("\x1b[31mERROR ") && line.ends_with("\x1b[0m")) << "line " << at;
    }
    at = end + 1;
  }
  EXPECT_EQ(errorLines, 1667u);
}

class FailingOutputTest : public CmdtailTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FailingOutputTest, NamesStandardOutputAndEndsWithStatusOne) {
  WriteFile(log_, "a\n");
  ChildProcess viewer(
      {"/bin/sh", "-c",
       std::string("exec '") + CMDTAIL_PATH + "' " + GetParam() + " '" + log_ + "' >/dev/full"});
  EXPECT_EQ(viewer.WaitForExit(), 1);
  EXPECT_EQ(viewer.err(), "cmdtail: cannot write standard output: No space left on device\n");
}

INSTANTIATE_TEST_SUITE_P(Runs, FailingOutputTest, ::testing::Values("-f", "--help", "--version"));

}  // namespace

// The built cmdtail on a terminal, a pseudo-terminal of script(1) that ends lines in CR LF: file names
// that would drive the terminal, and the log's bytes whose meaning depends on a next one that never
// comes.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "child_process.h"

namespace {

// Runs a shell command on a terminal of its own, in a UTF-8 locale and without colour; what is written
// to its standard input is typed there, with no echo.
std::unique_ptr<ChildProcess> OnTerminal(const std::string& command) {
  return std::make_unique<ChildProcess>(
      std::vector<std::string>{"/usr/bin/script", "-qec",
                               "stty -echo; export LC_ALL=C.UTF-8 NO_COLOR=1; " + command, "/dev/null"},
      ChildOptions{.pipeIn = true});
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

struct NamesCase {
  bool terminal;
  // The names as they are shown: a file's that would set the title, a missing one's that would ask the
  // terminal for a report.
  const char* file;
  const char* missing;
};

void PrintTo(const NamesCase& testCase, std::ostream* out) {
  *out << (testCase.terminal ? "terminal" : "pipes");
}

class HostileNamesTest : public ::testing::TestWithParam<NamesCase> {};

TEST_P(HostileNamesTest, AreShownVisiblyOnATerminalOnly) {
  const TempDirectory directory;
  const std::string file = directory.File("a\x1b]0;T\a");
  const std::string missing = directory.File("m\x1b[6n");
  WriteFile(file, "x\n");
  const std::string header = "==> " + directory.File(GetParam().file) + " <==";
  const std::string refused =
      "cmdtail: cannot open " + directory.File(GetParam().missing) + ": No such file or directory";
  if (GetParam().terminal) {
    const auto viewer =
        OnTerminal(std::string("exec ") + CMDTAIL_PATH + " " + Quoted(file) + " " + Quoted(missing));
    EXPECT_EQ(viewer->WaitForExit(), 1);
    EXPECT_EQ(viewer->out(), header + "\r\nx\r\n" + refused + "\r\n");
  } else {
    ChildProcess viewer({CMDTAIL_PATH, file, missing});
    EXPECT_EQ(viewer.WaitForExit(), 1);
    EXPECT_EQ(viewer.out(), header + "\nx\n");
    EXPECT_EQ(viewer.err(), refused + "\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Outputs, HostileNamesTest,
                         ::testing::Values(NamesCase{true, "a^[]0;T^G", "m^[[6n"},
                                           NamesCase{false, "a\x1b]0;T\a", "m\x1b[6n"}),
                         [](const auto& info) { return info.param.terminal ? "Terminal" : "Pipes"; });

class NewStartTest : public ::testing::TestWithParam<bool> {};

// A C1 control's first byte ending the old file is shown on its own, and the new file's first byte,
// the second of a CSI, is read on its own.
TEST_P(NewStartTest, JoinsNoByteOfTheOldFileToTheNewOnes) {
  const TempDirectory directory;
  const std::string log = directory.File("app.log");
  WriteFile(log, "abcdef\xC2");
  const auto viewer = OnTerminal(std::string("exec ") + CMDTAIL_PATH + " -f " + Quoted(log) + " 2>/dev/null");
  ASSERT_TRUE(viewer->WaitForOut("abcdef")) << viewer->out();
  if (GetParam()) {
    ASSERT_EQ(std::rename(log.c_str(), (log + ".1").c_str()), 0);
  }
  WriteFile(log,
            "\x9B"
            "2J\n");
  EXPECT_TRUE(
      viewer->WaitForOut("abcdef\xEF\xBF\xBD\x9B"
                         "2J\r\n"))
      << viewer->out();
}

INSTANTIATE_TEST_SUITE_P(Switches, NewStartTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Replaced" : "Truncated"; });

class HeldByteAtAStopTest : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

// A byte held for the one after it, which tells what it is, is shown when Ctrl-C ends the wait for it.
TEST_P(HeldByteAtAStopTest, IsShown) {
  const TempDirectory directory;
  const std::string log = directory.File("app.log");
  WriteFile(log, GetParam().first);
  const auto viewer = OnTerminal(std::string("exec ") + CMDTAIL_PATH + " -f " + Quoted(log));
  ASSERT_TRUE(viewer->WaitForOut("abc")) << viewer->out();
  viewer->WriteIn("\x03");
  EXPECT_EQ(viewer->WaitForExit(), 0);
  EXPECT_EQ(viewer->out(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Bytes, HeldByteAtAStopTest,
                         ::testing::Values(std::pair{"abc\r", "abc^M"},
                                           std::pair{"abc\xC2", "abc\xEF\xBF\xBD"}),
                         [](const auto& info) { return info.index == 0 ? "LoneCr" : "C1Lead"; });

}  // namespace

// The Windows cmdtail.exe run under Wine on a file named by its Z: drive path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "child_process.h"
#include "midnight_case.h"
#include "wine_console.h"

namespace {

TEST(CmdtailUnderWine, ShowsTheLastLinesAndFollowsAnAppend) {
  TempDirectory directory;
  const std::string log = directory.File("app.log");
  WriteFile(log, "one\r\ntwo\n\xC7\xD1\xB1\xB9\n");
  ChildProcess viewer({WINE_LOADER, WINDOWS_CMDTAIL_PATH, "-n", "2", "-f", ZDrivePath(log)});
  // The first start of a Wine program can take a while.
  ASSERT_TRUE(viewer.WaitForOut("two\n\xC7\xD1\xB1\xB9\n", 60s)) << viewer.out() << viewer.err();
  AppendFile(log, "three\r\nfour");
  EXPECT_TRUE(viewer.WaitForOut("two\n\xC7\xD1\xB1\xB9\nthree\r\nfour", 10s)) << viewer.out();
}

TEST(CmdtailUnderWine, FollowsTheDaysLogIntoTheNextDaysAfterMidnight) {
  ExpectRolloverAcrossMidnight({{WINE_LOADER, WINDOWS_CMDTAIL_PATH}, ZDrivePath, "\r\n", 10s});
}

class UnopenableFileUnderWineTest : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

// The reason is the failing open's own (the message text is Wine's for the error code).
TEST_P(UnopenableFileUnderWineTest, IsRefusedWithTheReason) {
  TempDirectory directory;
  ASSERT_EQ(mkdir(directory.File("directory").c_str(), 0755), 0);
  const std::string file = ZDrivePath(directory.File(GetParam().first));
  ChildProcess viewer({WINE_LOADER, WINDOWS_CMDTAIL_PATH, "-f", file});
  EXPECT_EQ(viewer.WaitForExit(60s), 1);
  EXPECT_EQ(viewer.err(), "cmdtail: cannot open " + file + ": " + GetParam().second + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Files, UnopenableFileUnderWineTest,
                         ::testing::Values(std::pair{"missing", "File not found"},
                                           std::pair{"directory", "Is a directory"}),
                         [](const auto& info) { return info.param.first; });

class CmdtailUnderWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(log_, "old\n");
    viewer_.emplace(std::vector<std::string>{WINE_LOADER, WINDOWS_CMDTAIL_PATH, "-f", ZDrivePath(log_)});
    // The first start of a Wine program can take a while.
    ASSERT_TRUE(viewer_->WaitForOut("old\n", 60s)) << viewer_->out() << viewer_->err();
  }

  TempDirectory directory_;
  const std::string log_ = directory_.File("app.log");
  std::optional<ChildProcess> viewer_;
};

TEST_F(CmdtailUnderWineTest, FollowsARenamedLogUntilANewFileTakesTheName) {
  const std::string rotated = directory_.File("app.log.1");
  ASSERT_EQ(std::rename(log_.c_str(), rotated.c_str()), 0);
  // The writer still has the renamed file open and writes on.
  viewer_->ReadFor(500ms);
  AppendFile(rotated, "late\n");
  EXPECT_TRUE(viewer_->WaitForOut("old\nlate\n", 10s)) << viewer_->out();
  WriteFile(log_, "new\n");
  EXPECT_TRUE(viewer_->WaitForOut("old\nlate\nnew\n", 10s)) << viewer_->out();
}

TEST_F(CmdtailUnderWineTest, ReadsAFileMadeAfterADeletionFromItsStart) {
  ASSERT_EQ(unlink(log_.c_str()), 0);
  viewer_->ReadFor(500ms);
  // The new file may get the deleted file's index; it is still read from its first byte.
  WriteFile(log_, "new one\nnew two\n");
  EXPECT_TRUE(viewer_->WaitForOut("old\nnew one\nnew two\n", 10s)) << viewer_->out();
  EXPECT_TRUE(viewer_->WaitForErrContaining("replaced"));
}

TEST(CmdtailInAConsole, PutsTheConsolesOutputModeBackForTheProgramsAfterIt) {
  TempDirectory directory;
  const std::string log = directory.File("app.log");
  WriteFile(log, "ERROR two\n");
  const std::string probe = ZDrivePath(CONSOLE_MODE_PROBE_PATH);
  const ConsoleWindow window(std::string(WINE_LOADER) + " cmd /c '" + probe + " & " +
                             ZDrivePath(WINDOWS_CMDTAIL_PATH) + " --color=always -n 1 " + ZDrivePath(log) +
                             " & " + probe + "'");
  ASSERT_TRUE(window.WaitForScreen("status=")) << window.Screen();
  const std::string screen = window.Screen();
  const std::size_t first = screen.find("console output mode");
  const std::size_t last = screen.rfind("console output mode");
  ASSERT_NE(first, last) << screen;
  EXPECT_EQ(screen.substr(first, screen.find('\n', first) - first),
            screen.substr(last, screen.find('\n', last) - last))
      << screen;
}

TEST(CmdtailInAConsole, NamesTheFollowedLogInTheTitleUntilItEnds) {
  TempDirectory directory;
  const std::string log = directory.File("app.log");
  WriteFile(log, "one\n");
  const ConsoleWindow window(std::string(WINE_LOADER) + " " + WINDOWS_CMDTAIL_PATH + " -f '" +
                             ZDrivePath(log) + "'");
  const std::string title = ZDrivePath(log) + " - cmdtail\n";
  ASSERT_TRUE(window.WaitFor([&](const ConsoleWindow& w) { return w.Title() == title; }, 60s))
      << window.Title();
  window.Press("C-c");
  ASSERT_TRUE(window.WaitForScreen("status=0", 10s)) << window.Screen();
  EXPECT_NE(window.Title(), title);
}

TEST(CmdtailInAConsole, CountsTheAlertsInTheTitle) {
  TempDirectory directory;
  const std::string log = directory.File("app.log");
  WriteFile(log, "panic at start\n");
  const ConsoleWindow window(std::string(WINE_LOADER) + " " + WINDOWS_CMDTAIL_PATH + " --alert=panic -f '" +
                             ZDrivePath(log) + "'");
  const auto titled = [&](const std::string& title) {
    return window.WaitFor([&](const ConsoleWindow& w) { return w.Title() == ZDrivePath(log) + title; }, 60s);
  };
  ASSERT_TRUE(titled(" - cmdtail\n")) << window.Title();
  AppendFile(log, "panic 1\n");
  ASSERT_TRUE(titled(" - 1 alert - cmdtail\n")) << window.Title();
  AppendFile(log, "quiet\npanic 2\npanic 3\n");
  ASSERT_TRUE(titled(" - 3 alerts - cmdtail\n")) << window.Title();
  window.Press("C-c");
  ASSERT_TRUE(window.WaitForScreen("status=0", 10s)) << window.Screen();
  EXPECT_EQ(window.Title().find("cmdtail"), std::string::npos) << window.Title();
}

// Started alone on its console, as from a shortcut, so that the window would close with it.
TEST(CmdtailInAConsole, HoldsAnErrorInViewUntilAKeyIsPressed) {
  TempDirectory directory;
  const ConsoleWindow window(std::string(WINE_LOADER) + " " + WINDOWS_CMDTAIL_PATH + " '" +
                             ZDrivePath(directory.File("missing.log")) + "'");
  ASSERT_TRUE(window.WaitForScreen("Press any key to close this window.")) << window.Screen();
  // Keys typed before the wait begins are dropped, and the prompt comes just before it: a key is pressed
  // until one is taken, far sooner than the ten seconds it waits for one.
  const auto pressUntilClosed = [](const ConsoleWindow& shown) {
    shown.Press("x");
    return shown.Screen().find("status=1") != std::string::npos;
  };
  EXPECT_TRUE(window.WaitFor(pressUntilClosed, 5s)) << window.Screen();
}

}  // namespace

TEST(CmdtailUnderWine, WritesTheDecodedLogAsUtf8ToARedirectedOutput) {
  TempDirectory directory;
  const std::string log = directory.File("app.log");
  // Code page 949 text, an invalid byte, and a lead byte whose trail byte never came.
  WriteFile(log, "skipped\nok\n\xC7\xD1\xB1\xB9 \xFF ERROR\n\xC7\n");
  ChildProcess viewer({WINE_LOADER, WINDOWS_CMDTAIL_PATH, "--encoding", "CP949", "-n", "3", ZDrivePath(log)});
  EXPECT_EQ(viewer.WaitForExit(60s), 0) << viewer.err();
  EXPECT_EQ(viewer.out(), "ok\n\xED\x95\x9C\xEA\xB5\xAD \xEF\xBF\xBD ERROR\n\xEF\xBF\xBD\n");
}

// UTF-16 as Windows tools write it, marked little endian, with a lone surrogate and a character whose
// code unit holds a byte 0A that ends no line.
TEST(CmdtailUnderWine, ReadsAUtf16LogByItsByteOrderMark) {
  TempDirectory directory;
  const std::string log = directory.File("app.log");
  WriteFile(log, std::string("\xFF\xFE"
                             "a\0\r\0\n\0\x05\x0A"
                             "b\0\r\0\n\0\x00\xD8"
                             "c\0\r\0\n\0",
                             24));
  ChildProcess viewer({WINE_LOADER, WINDOWS_CMDTAIL_PATH, "-n", "2", ZDrivePath(log)});
  EXPECT_EQ(viewer.WaitForExit(60s), 0) << viewer.err();
  EXPECT_EQ(viewer.out(),
            "\xE0\xA8\x85"
            "b\r\n\xEF\xBF\xBD"
            "c\r\n");
}

// UTF-16 asked for without its byte order, as on POSIX: the mark gives the order, else big endian.
TEST(CmdtailUnderWine, ReadsUtf16AskedForInTheOrderItsMarkNames) {
  TempDirectory directory;
  const std::string marked = directory.File("marked.log");
  const std::string unmarked = directory.File("unmarked.log");
  WriteFile(marked, std::string("\xFF\xFE"
                                "a\0\n\0",
                                6));
  WriteFile(unmarked, std::string("\0b\0\n", 4));
  for (const auto& [log, shown] : {std::pair{marked, "a\n"}, std::pair{unmarked, "b\n"}}) {
    ChildProcess viewer({WINE_LOADER, WINDOWS_CMDTAIL_PATH, "--encoding=UTF-16", ZDrivePath(log)});
    EXPECT_EQ(viewer.WaitForExit(60s), 0) << viewer.err();
    EXPECT_EQ(viewer.out(), shown);
  }
}

// The settings file is found beside the program as the system names it.
TEST(CmdtailUnderWine, TakesTheSettingsFileBesideTheProgram) {
  TempDirectory directory;
  const std::string program = directory.File("cmdtail.exe");
  std::filesystem::copy_file(WINDOWS_CMDTAIL_PATH, program);
  WriteFile(directory.File("cmdtail.conf"), "grep=two\r\n");
  WriteFile(directory.File("app.log"), "one\ntwo\nthree\n");
  ChildProcess viewer({WINE_LOADER, program, ZDrivePath(directory.File("app.log"))});
  EXPECT_EQ(viewer.WaitForExit(60s), 0) << viewer.err();
  EXPECT_EQ(viewer.out(), "two\n");
}

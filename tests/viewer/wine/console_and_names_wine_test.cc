// The Windows cmdtail.exe under Wine: its console (a redirected standard error, the console's keyboard
// as its input) and names that only the system's UTF-16 calls hold whole.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "midnight_case.h"
#include "wine_console.h"

namespace {

// Alone on its console, but with standard error in a file: the error is not on the screen, so there is
// nothing to hold in view, and the file gets the error alone.
TEST(CmdtailInAConsole, EndsAtOnceOnAnErrorWrittenToAFile) {
  TempDirectory directory;
  const std::string missing = ZDrivePath(directory.File("missing.log"));
  const ConsoleWindow window(std::string(WINE_LOADER) + " " + WINDOWS_CMDTAIL_PATH + " '" + missing +
                             "' 2>'" + directory.File("err.txt") + "'");
  ASSERT_TRUE(window.WaitForScreen("status=1")) << window.Screen();
  EXPECT_EQ(window.Screen().find("Press any key"), std::string::npos) << window.Screen();
  EXPECT_EQ(ReadFile(directory.File("err.txt")), "cmdtail: cannot open " + missing + ": File not found\r\n");
}

// The screen's lines that are `line`, whole.
std::size_t LinesReading(const std::string& screen, const std::string& line) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < screen.size();) {
    const std::size_t end = std::min(screen.find('\n', at), screen.size());
    count += screen.compare(at, end - at, line) == 0 ? 1 : 0;
    at = end + 1;
  }
  return count;
}

// Standard input is the console's keyboard: a line typed shows twice, as the console echoes it and as
// cmdtail shows it; a Ctrl-C ends cmdtail once the console's read returns (under Wine, at the next
// Enter).
TEST(CmdtailInAConsole, ShowsTheLinesTypedOnItsKeyboardUntilStopped) {
  const ConsoleWindow window(std::string(WINE_LOADER) + " " + WINDOWS_CMDTAIL_PATH + " -f");
  ASSERT_TRUE(window.WaitForConsoleInput()) << window.Screen();
  window.Press("typed-line Enter");
  ASSERT_TRUE(
      window.WaitFor([](const ConsoleWindow& w) { return LinesReading(w.Screen(), "typed-line") == 2; }, 60s))
      << window.Screen();
  window.Press("C-c");
  window.Press("Enter");
  EXPECT_TRUE(window.WaitForScreen("status=0", 10s)) << window.Screen();
}

// Wine gives the program its arguments from their UTF-8 bytes, and takes the ANSI code page 1252 then.
std::vector<std::string> UnderWine(const std::vector<std::string>& arguments) {
  std::vector<std::string> command{"/usr/bin/env", "LC_ALL=C.UTF-8", WINE_LOADER, WINDOWS_CMDTAIL_PATH};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

const std::string kKorean = "\xEB\xA1\x9C\xEA\xB7\xB8";  // 로그, outside code page 1252

struct LogPlace {
  const char* name;
  std::vector<std::string> directories;
  std::string prefix;  // before the Z: drive's path
};

class LogPathUnderWineTest : public ::testing::TestWithParam<LogPlace> {};

TEST_P(LogPathUnderWineTest, IsOpenedAndShown) {
  TempDirectory directory;
  std::string path = directory.path();
  for (const std::string& name : GetParam().directories) {
    path += "/" + name;
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path;
  }
  WriteFile(path + "/app.log", "one\ntwo\n");
  ChildProcess viewer(UnderWine({"-n", "1", GetParam().prefix + ZDrivePath(path + "/app.log")}));
  EXPECT_EQ(viewer.WaitForExit(60s), 0) << viewer.err();
  EXPECT_EQ(viewer.out(), "two\n");
}

// Over the 260 characters of the ANSI calls, plainly (which the program's manifest allows) and in the
// \\?\ form; a name outside the ANSI code page.
const std::vector<std::string> kLongPath(3, std::string(100, 'd'));
INSTANTIATE_TEST_SUITE_P(Places, LogPathUnderWineTest,
                         ::testing::Values(LogPlace{"Long", kLongPath, ""},
                                           LogPlace{"LongInLiteralForm", kLongPath, "\\\\?\\"},
                                           LogPlace{"OutsideTheAnsiCodePage", {kKorean}, ""}),
                         [](const auto& info) { return info.param.name; });

// A text of the command line (UTF-8 here) is searched for in raw bytes in the ANSI code page, and in
// decoded text (marked UTF-8) as UTF-8.
TEST(CmdtailUnderWine, FindsACommandLineTextInRawAndInDecodedText) {
  TempDirectory directory;
  WriteFile(directory.File("raw.log"), "caf\xE9 raw\nother\n");
  WriteFile(directory.File("marked.log"),
            "\xEF\xBB\xBF"
            "caf\xC3\xA9 marked\nother\n");
  ChildProcess viewer(UnderWine({"-q", "--grep=caf\xC3\xA9", ZDrivePath(directory.File("raw.log")),
                                 ZDrivePath(directory.File("marked.log"))}));
  EXPECT_EQ(viewer.WaitForExit(60s), 0) << viewer.err();
  EXPECT_EQ(viewer.out(), "caf\xE9 raw\ncaf\xC3\xA9 marked\n");
}

// On a console, names outside the ANSI code page show whole in the header, in a message and in the
// window's title.
TEST(CmdtailInAConsole, ShowsNamesOutsideTheAnsiCodePageWhole) {
  TempDirectory directory;
  const std::string log = ZDrivePath(directory.File(kKorean + ".log"));
  const std::string missing = ZDrivePath(directory.File(kKorean + "-missing.log"));
  WriteFile(directory.File(kKorean + ".log"), "one\n");
  const ConsoleWindow window("env LC_ALL=C.UTF-8 " + std::string(WINE_LOADER) + " " + WINDOWS_CMDTAIL_PATH +
                             " -f '" + log + "' '" + missing + "'");
  ASSERT_TRUE(window.WaitForScreen("cmdtail: cannot open " + missing + ": File not found"))
      << window.Screen();
  EXPECT_NE(window.Screen().find("==> " + log + " <==\none\n"), std::string::npos) << window.Screen();
  EXPECT_TRUE(window.WaitFor([&](const ConsoleWindow& w) { return w.Title() == log + " - cmdtail\n"; }, 10s))
      << window.Title();
}

// The help names the settings file beside the program whole, in a folder outside the ANSI code page too.
TEST(CmdtailInAConsole, NamesTheSettingsFileOfAFolderOutsideTheAnsiCodePageWhole) {
  TempDirectory directory;
  const std::string folder = directory.File(kKorean);
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(WINDOWS_CMDTAIL_PATH, folder + "/cmdtail.exe");
  const ConsoleWindow window("env LC_ALL=C.UTF-8 " + std::string(WINE_LOADER) + " '" + folder +
                             "/cmdtail.exe' --help");
  EXPECT_TRUE(window.WaitForScreen("Settings: " + ZDrivePath(folder + "/cmdtail.conf") + ","))
      << window.Screen();
}

class TrailingCharacterUnderWineTest : public ::testing::TestWithParam<const char*> {};

// A name ending in characters Windows drops is the day's log all the same, and rolls into the next
// day's, named as given with its date replaced.
TEST_P(TrailingCharacterUnderWineTest, LeavesTheDaysLogForTheNextDaysAfterMidnight) {
  const std::string trailing = GetParam();
  ExpectRolloverAcrossMidnight({{WINE_LOADER, WINDOWS_CMDTAIL_PATH},
                                [trailing](const std::string& path) { return ZDrivePath(path) + trailing; },
                                "\r\n",
                                10s});
}

INSTANTIATE_TEST_SUITE_P(Names, TrailingCharacterUnderWineTest, ::testing::Values(".", " "),
                         [](const auto& info) { return std::string(*info.param == '.' ? "Dot" : "Blank"); });

}  // namespace

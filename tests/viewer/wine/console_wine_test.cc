// The Windows cmdtail.exe under Wine in a console window of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "child_process.h"
#include "wine_console.h"

namespace {

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

// Ctrl-C is no key but a console event, which asks for a stop: it ends the wait too, at once, whenever it
// comes.
TEST(CmdtailInAConsole, EndsTheHeldErrorAtOnceOnControlC) {
  TempDirectory directory;
  const ConsoleWindow window(std::string(WINE_LOADER) + " " + WINDOWS_CMDTAIL_PATH + " '" +
                             ZDrivePath(directory.File("missing.log")) + "'");
  ASSERT_TRUE(window.WaitForScreen("Press any key to close this window.")) << window.Screen();
  // Until Wine's console reads the keys itself, the terminal would end the whole window on Ctrl-C.
  ASSERT_TRUE(window.WaitForConsoleInput());
  window.Press("C-c");
  EXPECT_TRUE(window.WaitForScreen("status=1", 5s)) << window.Screen();
}

}  // namespace

// The Windows cmdtail.exe under Wine: its console (a redirected standard error, the console's keyboard
// as its input) and names that only the system's UTF-16 calls hold whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "child_process.h"
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

}  // namespace

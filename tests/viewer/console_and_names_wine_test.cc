// The Windows cmdtail.exe under Wine: its console (a redirected standard error, the console's keyboard
// as its input) and names that only the system's UTF-16 calls hold whole.
#include <gtest/gtest.h>

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

}  // namespace

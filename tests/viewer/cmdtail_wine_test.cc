// The Windows cmdtail.exe run under Wine on a file named by its Z: drive path.
#include <gtest/gtest.h>

#include <algorithm>

#include "child_process.h"
#include "midnight_case.h"

namespace {

std::string ZDrivePath(std::string posixPath) {
  std::replace(posixPath.begin(), posixPath.end(), '/', '\\');
  return "Z:" + posixPath;
}

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

}  // namespace

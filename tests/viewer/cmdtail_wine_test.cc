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

TEST(CmdtailUnderWine, WritesTheDecodedLogAsUtf8ToARedirectedOutput) {
  TempDirectory directory;
  const std::string log = directory.File("app.log");
  // Code page 949 text, an invalid byte, and a lead byte whose trail byte never came.
  WriteFile(log, "skipped\nok\n\xC7\xD1\xB1\xB9 \xFF ERROR\n\xC7\n");
  ChildProcess viewer({WINE_LOADER, WINDOWS_CMDTAIL_PATH, "--encoding", "CP949", "-n", "3", ZDrivePath(log)});
  EXPECT_EQ(viewer.WaitForExit(60s), 0) << viewer.err();
  EXPECT_EQ(viewer.out(), "ok\n\xED\x95\x9C\xEA\xB5\xAD \xEF\xBF\xBD ERROR\n\xEF\xBF\xBD\n");
}

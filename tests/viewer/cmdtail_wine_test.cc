// The Windows cmdtail.exe run under Wine on a file named by its Z: drive path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>

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

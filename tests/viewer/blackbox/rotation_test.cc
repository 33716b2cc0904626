// cmdtail following a file by its name across renames, deletions, symbolic links, directories made
// again and files opened up late, reading the old file on for late lines.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "cmdtail_fixture.h"

namespace {

TEST_F(CmdtailTest, FinishesTheOldFileThenFollowsOneCreatedAfterARename) {
  auto viewer = Follow("old\n", "old\n");
  const std::string rotated = directory_.File("app.log.1");
  ASSERT_EQ(rename(log_.c_str(), rotated.c_str()), 0);
  AppendFile(rotated, "old tail\n");
  WriteFile(log_, "new\n");
  EXPECT_TRUE(viewer->WaitForOut("old\nold tail\nnew\n")) << viewer->out();
  EXPECT_TRUE(viewer->WaitForErrContaining("replaced"));
  AppendFile(log_, "more\n");
  EXPECT_TRUE(viewer->WaitForOut("old\nold tail\nnew\nmore\n")) << viewer->out();
}

// A writer's half line in the new file waits for its end while the old file is still read, so that the
// old file's late line is not spliced into it.
TEST_F(CmdtailTest, JoinsNoLateLineOfTheOldFileToTheNewFilesUnfinishedLine) {
  auto viewer = Follow("old\n", "old\n");
  const std::string rotated = directory_.File("app.log.1");
  ASSERT_EQ(rename(log_.c_str(), rotated.c_str()), 0);
  WriteFile(log_, "partial-");
  ASSERT_TRUE(viewer->WaitForErrContaining("replaced"));
  AppendFile(rotated, "late\n");
  ASSERT_TRUE(viewer->WaitForOut("old\nlate\n")) << viewer->out();
  AppendFile(log_, "rest\n");
  EXPECT_TRUE(viewer->WaitForOut("old\nlate\npartial-rest\n")) << viewer->out();
}

TEST_F(CmdtailTest, LetsGoOfADeletedFileAndFollowsItsSuccessor) {
  auto viewer = Follow("old\n", "old\n");
  ASSERT_EQ(unlink(log_.c_str()), 0);
  // Its disk space is freed once it is read to its end and its time for late lines is up.
  EXPECT_TRUE(viewer->WaitUntil([&] { return !viewer->HasOpen(log_); }, 10s));
  WriteFile(log_, "new\n");
  EXPECT_TRUE(viewer->WaitForOut("old\nnew\n")) << viewer->out();
  EXPECT_TRUE(viewer->WaitForErrContaining("replaced"));
}

// How the name comes to lead to a new file: shell commands run in the temporary directory. The log
// starts as "old\n", and the new file holds "new\n".
struct RotationCase {
  const char* name;
  std::string setup;
  std::string followed;
  std::string rotate;
};

void PrintTo(const RotationCase& testCase, std::ostream* out) { *out << testCase.name; }

class RotationTest : public CmdtailTest, public ::testing::WithParamInterface<RotationCase> {};

TEST_P(RotationTest, ShowsBothFilesAndFollowsTheNewOne) {
  Shell(directory_.path(), GetParam().setup);
  const std::string followed = directory_.File(GetParam().followed);
  auto viewer = Start({}, followed);
  ASSERT_TRUE(viewer->WaitForOut("old\n"));
  Shell(directory_.path(), GetParam().rotate);
  // Sooner than the old file's time for late lines ends, which sets every watch again.
  EXPECT_TRUE(viewer->WaitForOut("old\nnew\n", 3s)) << viewer->out() << viewer->err();
  EXPECT_TRUE(viewer->WaitForErrContaining("replaced"));
  AppendFile(followed, "more\n");
  EXPECT_TRUE(viewer->WaitForOut("old\nnew\nmore\n")) << viewer->out();
}

INSTANTIATE_TEST_SUITE_P(
    Rotations, RotationTest,
    ::testing::Values(
        RotationCase{"SymbolicLinkTargetRotatedInAnotherDirectory",
                     "mkdir real links && echo old > real/app.log && ln -s ../real/app.log links/app.log",
                     "links/app.log", "mv real/app.log real/app.log.1 && echo new > real/app.log"},
        RotationCase{"DirectoryRenamedAndMadeAgain", "mkdir logs && echo old > logs/app.log", "logs/app.log",
                     "mv logs logs.1 && mkdir logs && echo new > logs/app.log"},
        RotationCase{"DirectoryRemovedAndMadeAgain", "mkdir logs && echo old > logs/app.log", "logs/app.log",
                     "rm -r logs && mkdir logs && echo new > logs/app.log"},
        RotationCase{"NameBrieflyADirectory", "echo old > app.log", "app.log",
                     "rm app.log && mkdir app.log && sleep 0.3 && rmdir app.log && echo new > app.log"}),
    [](const auto& info) { return info.param.name; });

TEST_F(CmdtailTest, ShowsWhatTheOldFileGetsForAWhileAfterTheSwitch) {
  auto viewer = Follow("old\n", "old\n");
  const std::string rotated = directory_.File("app.log.1");
  ASSERT_EQ(rename(log_.c_str(), rotated.c_str()), 0);
  WriteFile(log_, "new\n");
  ASSERT_TRUE(viewer->WaitForOut("old\nnew\n")) << viewer->out();
  // The writer has not reopened the name yet.
  AppendFile(rotated, "late\n");
  EXPECT_TRUE(viewer->WaitForOut("old\nnew\nlate\n")) << viewer->out();
  EXPECT_TRUE(viewer->WaitUntil([&] { return !viewer->HasOpen(rotated); }, 10s));
}

TEST_F(CmdtailTest, OpensTheNewFileOnceItsModeLetsItsUserRead) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "needs root to run cmdtail as an unprivileged user";
  }
  // A copy the unprivileged user can run, wherever the build tree is.
  const std::string viewerCopy = directory_.File("cmdtail.exe");
  std::filesystem::copy_file(CMDTAIL_PATH, viewerCopy);
  ASSERT_EQ(chmod(directory_.path().c_str(), 0755), 0);
  WriteFile(log_, "old\n");
  ChildProcess viewer(
      {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", viewerCopy, "-f", log_});
  ASSERT_TRUE(viewer.WaitForOut("old\n")) << viewer.err();
  // As a rotation tool does: a new file made private first, opened up a moment later.
  Shell(directory_.path(), "mv app.log app.log.1 && (umask 077 && echo new > app.log)");
  viewer.ReadFor(300ms);
  ASSERT_EQ(chmod(log_.c_str(), 0644), 0);
  EXPECT_TRUE(viewer.WaitForOut("old\nnew\n")) << viewer.out() << viewer.err();
}

}  // namespace

// cmdtail showing and following several files under headers that name them.
#include <gtest/gtest.h>
#include <signal.h>

#include "cmdtail_fixture.h"

namespace {

// Runs cmdtail in the test's directory, where the files are named as given.
std::unique_ptr<ChildProcess> StartIn(const TempDirectory& directory, const std::string& args) {
  return std::make_unique<ChildProcess>(std::vector<std::string>{
      "/bin/sh", "-c", "cd '" + directory.path() + "' && exec '" + CMDTAIL_PATH + "' " + args});
}

constexpr const char* kHeaderCases[] = {"SeveralFiles", "Quiet", "Verbose"};

class HeadersTest : public CmdtailTest,
                    public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(HeadersTest, NameTheFilesAsAsked) {
  WriteFile(directory_.File("a"), "a1\na2\n");
  WriteFile(directory_.File("b"), "");
  auto viewer = StartIn(directory_, GetParam().first);
  EXPECT_EQ(viewer->WaitForExit(), 0);
  EXPECT_EQ(viewer->out(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Options, HeadersTest,
                         ::testing::Values(std::pair{"-n 1 a b", "==> a <==\na2\n\n==> b <==\n"},
                                           std::pair{"-q -n 1 a b", "a2\n"},
                                           std::pair{"-v -n 1 a", "==> a <==\na2\n"}),
                         [](const auto& info) { return kHeaderCases[info.index]; });

// A file that cannot be opened is left out, and the run's status says so.
TEST_F(CmdtailTest, FollowsSeveralFilesAndNamesEachAsOutputSwitches) {
  WriteFile(directory_.File("a"), "a1\na2\n");
  WriteFile(directory_.File("b"), "b1\n");
  auto viewer = StartIn(directory_, "-n 1 -f a missing b");
  std::string expected = "==> a <==\na2\n\n==> b <==\nb1\n";
  ASSERT_TRUE(viewer->WaitForOut(expected)) << viewer->out();
  EXPECT_TRUE(viewer->WaitForErrContaining("cmdtail: cannot open missing: No such file or directory\n"));
  AppendFile(directory_.File("b"), "b2\n");
  ASSERT_TRUE(viewer->WaitForOut(expected += "b2\n")) << viewer->out();
  AppendFile(directory_.File("a"), "a3\n");
  ASSERT_TRUE(viewer->WaitForOut(expected += "\n==> a <==\na3\n")) << viewer->out();
  viewer->SignalGroup(SIGTERM);
  EXPECT_EQ(viewer->WaitForExit(), 1);
}

}  // namespace

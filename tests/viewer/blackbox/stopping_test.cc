// cmdtail stopped by a signal or by its output going away: while following, writing to a full output,
// searching for the last lines and waiting for a FIFO's writer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cmdtail_fixture.h"

namespace {

class StopSignalTest : public CmdtailTest, public ::testing::WithParamInterface<int> {};

TEST_P(StopSignalTest, ExitsWithStatusZero) {
  auto viewer = Follow("a\n", "a\n");
  viewer->SignalGroup(GetParam());
  EXPECT_EQ(viewer->WaitForExit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "Interrupt" : "Terminate"; });

TEST_F(CmdtailTest, ExitsWithStatusZeroWhenItsOutputIsGone) {
  auto viewer = Follow("a\n", "a\n");
  viewer->CloseOut();
  AppendFile(log_, "b\n");
  EXPECT_EQ(viewer->WaitForExit(), 0);
}

TEST_F(CmdtailTest, EndsAtOnceWhenItsReaderGoesAwayWhileTheLogIsQuiet) {
  auto viewer = Follow("a\n", "a\n");
  viewer->CloseOut();
  EXPECT_EQ(viewer->WaitForExit(), 0);
}

TEST_F(CmdtailTest, StopsWhileItsNonBlockingOutputIsFull) {
  WriteFile(log_, NumberedLines(1, 100000));
  ChildProcess viewer({CMDTAIL_PATH, "-n", "100000", "-f", log_}, {.nonBlockingOut = true});
  viewer.PauseOut();
  ASSERT_TRUE(viewer.WaitUntil([&] { return viewer.IsWaitingForItsOutput(); }));
  viewer.SignalGroup(SIGINT);
  EXPECT_EQ(viewer.WaitForExit(), 0);
}

TEST_F(CmdtailTest, StopsDuringALongSearchForTheLastLines) {
  // A sparse file of zeros without a newline: the search would read all of it backwards.
  const int fd = open(log_.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, off_t{64} << 30), 0);
  close(fd);
  auto viewer = Start({}, log_);
  ASSERT_TRUE(viewer->WaitUntil([&] { return viewer->HasOpen(log_); }));
  viewer->SignalGroup(SIGINT);
  EXPECT_EQ(viewer->WaitForExit(), 0);
}

TEST_F(CmdtailTest, StopsWhileAFifoWaitsForItsWriter) {
  const std::string fifo = directory_.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto viewer = Start({}, fifo);
  ASSERT_TRUE(viewer->WaitUntil([&] { return viewer->HasOpen(fifo); }));
  viewer->SignalGroup(SIGINT);
  EXPECT_EQ(viewer->WaitForExit(), 0);
  EXPECT_EQ(viewer->err(), "");
}

class ColourStopTest : public CmdtailTest, public ::testing::WithParamInterface<bool> {};

// A stop that lands inside a coloured line, while the output is full (a slow terminal), still leaves
// the output uncoloured, also when the output does not block and is still full as cmdtail ends.
TEST_P(ColourStopTest, ClosesAColourLeftOpenByAStop) {
  // The lines, each short enough to be coloured, are more than the output pipe holds: the stop comes
  // inside a coloured line's write.
  const std::string line = "WARN " + std::string(60000, 'w') + "\n";
  WriteFile(log_, line + line + line);
  auto viewer = std::make_unique<ChildProcess>(
      std::vector<std::string>{CMDTAIL_PATH, "-n", "+1", "--color=always", "-f", log_},
      ChildOptions{.nonBlockingOut = GetParam()});
  viewer->PauseOut();
  ASSERT_TRUE(viewer->WaitUntil([&] { return viewer->IsWaitingForItsOutput(); }));
  viewer->SignalGroup(SIGINT);
  // Read on only once the stop is taken, so that the write it cuts short is not let finish first.
  ASSERT_TRUE(viewer->WaitUntil([&] { return !viewer->HasPending(SIGINT); }));
  viewer->ResumeOut();
  ASSERT_EQ(viewer->WaitForExit(), 0);
  const std::size_t lastEscape = viewer->out().rfind("\x1b[");
  ASSERT_NE(lastEscape, std::string::npos);
  EXPECT_EQ(viewer->out().substr(lastEscape), "\x1b[0m");
}

INSTANTIATE_TEST_SUITE_P(Outputs, ColourStopTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "NonBlocking" : "Blocking"; });

}  // namespace

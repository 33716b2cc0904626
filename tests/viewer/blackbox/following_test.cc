// cmdtail following a file and standard input: appends, partial lines, truncation, a FUSE mount and
// filters on whole lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cmdtail_fixture.h"

namespace {

TEST_F(CmdtailTest, AppendsAppearInOrderExactlyOnce) {
  auto viewer = Follow("first\n", "first\n");
  std::string expected = "first\n";
  for (int batch = 0; batch < 5; ++batch) {
    const std::string lines = NumberedLines(batch * 20, batch * 20 + 19);
    AppendFile(log_, lines.substr(0, lines.size() / 2));
    AppendFile(log_, lines.substr(lines.size() / 2));
    expected += lines;
    ASSERT_TRUE(viewer->WaitForOut(expected)) << viewer->out();
  }
  EXPECT_TRUE(ShowsNothingMoreThan(*viewer, log_, expected)) << viewer->out();
}

TEST_F(CmdtailTest, PassesPartialLinesAndRawBytesUnchanged) {
  auto viewer = Follow("", "");
  // Code page 949 text, a CR LF ending and a NUL byte, in pieces that split a line.
  AppendFile(log_, "\xC7\xD1\xB1\xB9");
  ASSERT_TRUE(viewer->WaitForOut("\xC7\xD1\xB1\xB9"));
  AppendFile(log_, std::string("\xBE\xEE\r\n\0z", 6));
  EXPECT_TRUE(viewer->WaitForOut(std::string("\xC7\xD1\xB1\xB9\xBE\xEE\r\n\0z", 10)));
}

TEST_F(CmdtailTest, GoesOnFromTheStartOfATruncatedFile) {
  auto viewer = Follow("one\ntwo\nthree\n", "one\ntwo\nthree\n");
  WriteFile(log_, "new\n");
  EXPECT_TRUE(viewer->WaitForOut("one\ntwo\nthree\nnew\n")) << viewer->out();
  EXPECT_TRUE(viewer->WaitForErrContaining("truncated"));
}

TEST_F(CmdtailTest, FollowsAFileWrittenBelowAFuseMount) {
  const std::string source = directory_.File("source");
  const std::string mount = directory_.File("mount");
  std::filesystem::create_directories(source);
  std::filesystem::create_directories(mount);
  WriteFile(source + "/app.log", "old\n");
  if (std::system(("bindfs '" + source + "' '" + mount + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "needs bindfs and FUSE";
  }
  {
    auto viewer = Start({}, mount + "/app.log");
    EXPECT_TRUE(viewer->WaitForOut("old\n"));
    // Below the mount, where no event reaches a watch set through it.
    AppendFile(source + "/app.log", "new\n");
    EXPECT_TRUE(viewer->WaitForOut("old\nnew\n")) << viewer->out();
  }
  EXPECT_EQ(std::system(("fusermount -u '" + mount + "'").c_str()), 0);
}

TEST_F(CmdtailTest, ShowsTheLastLinesOfStandardInputThenFollowsIt) {
  ChildProcess viewer({CMDTAIL_PATH, "-n", "2", "-f", "-"}, {.pipeIn = true});
  viewer.WriteIn("a\nb\nc\n");
  ASSERT_TRUE(viewer.WaitForOut("b\nc\n")) << viewer.out() << viewer.err();
  viewer.WriteIn("d\n");
  EXPECT_TRUE(viewer.WaitForOut("b\nc\nd\n")) << viewer.out();
  viewer.CloseIn();
  EXPECT_EQ(viewer.WaitForExit(), 0);
  EXPECT_EQ(viewer.err(), "");
}

// Many blocks of a stream: a few last lines, and more of them than a block holds, in writes that cut lines.
class StreamLastLinesTest : public CmdtailTest, public ::testing::WithParamInterface<int> {};

TEST_P(StreamLastLinesTest, AreExactlyTheLastLines) {
  const std::string text = NumberedLines(1, 300000);
  ChildProcess viewer({CMDTAIL_PATH, "-n", std::to_string(GetParam()), "-"}, {.pipeIn = true});
  for (std::size_t at = 0; at < text.size(); at += 40000) {
    viewer.WriteIn(text.substr(at, 40000));
  }
  viewer.CloseIn();
  EXPECT_EQ(viewer.WaitForExit(), 0);
  EXPECT_EQ(viewer.out(), NumberedLines(300001 - GetParam(), 300000));
}

INSTANTIATE_TEST_SUITE_P(Counts, StreamLastLinesTest, ::testing::Values(3, 20000));

TEST_F(CmdtailTest, ShowsStandardInputFromALineNumberOn) {
  ChildProcess viewer({CMDTAIL_PATH, "-n", "+3"}, {.pipeIn = true});
  // Line 3 begins in the middle of a write.
  viewer.WriteIn("one\ntw");
  viewer.WriteIn("o\nthree\nfour\nfive\nsix\n");
  viewer.CloseIn();
  EXPECT_EQ(viewer.WaitForExit(), 0);
  EXPECT_EQ(viewer.out(), "three\nfour\nfive\nsix\n");
}

// A line is shown once it is whole, never in pieces, however the writer writes it. Each time the files
// change, they are read in the order given, so a marker line appended to a second file after the start
// of a line comes once that start has been read.
TEST_F(CmdtailTest, FiltersOnlyWholeLinesWhileFollowing) {
  // The logs exist before cmdtail starts, which would refuse a missing one.
  const std::string second = directory_.File("second.log");
  WriteFile(log_, "");
  WriteFile(second, "");
  ChildProcess viewer({CMDTAIL_PATH, "-q", "--grep=ERROR", "-f", log_, second});
  ASSERT_TRUE(viewer.WaitUntil([&] { return viewer.IsPolling(); }));
  AppendFile(log_, "ERR");
  AppendFile(second, "ERROR marker\n");
  EXPECT_TRUE(viewer.WaitForOut("ERROR marker\n")) << viewer.out();
  AppendFile(log_, "OR x\nok\n");
  EXPECT_TRUE(viewer.WaitForOut("ERROR marker\nERROR x\n")) << viewer.out();
}

}  // namespace

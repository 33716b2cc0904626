// Alerts in the built cmdtail, following real files: on a terminal (a pseudo-terminal, which ends lines
// in CR LF) and into a pipe.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"

namespace {

// The start's line and a filtered line raise no alert; a burst of new lines rings the bell once, after
// them, and their alert's text is highlighted in the colour after the --highlight texts'.
TEST(CmdtailAlerts, RingOnceForABurstOfNewLinesOnATerminal) {
  TempDirectory directory;
  const std::string log = directory.File("app.log");
  WriteFile(log, "panic at start\n");
  ChildProcess viewer({"/usr/bin/script", "-qec",
                       std::string("env -u NO_COLOR '") + CMDTAIL_PATH +
                           "' -f --highlight=quiet --alert=panic --exclude=hidden '" + log + "'",
                       "/dev/null"});
  std::string expected = "panic at start\r\n";
  ASSERT_TRUE(viewer.WaitForOut(expected)) << viewer.out();
  AppendFile(log, "hidden panic\nquiet\n");
  expected += "\x1b[30;46mquiet\x1b[0m\r\n";
  ASSERT_TRUE(viewer.WaitForOut(expected)) << viewer.out();
  AppendFile(log, "panic 1\npanic 2\n");
  expected += "\x1b[30;42mpanic\x1b[0m 1\r\n\x1b[30;42mpanic\x1b[0m 2\r\n\a";
  ASSERT_TRUE(viewer.WaitForOut(expected)) << viewer.out();
  AppendFile(log, "end\n");
  EXPECT_TRUE(viewer.WaitForOut(expected + "end\r\n")) << viewer.out();
}

TEST(CmdtailAlerts, AddNothingIntoAPipe) {
  TempDirectory directory;
  const std::string log = directory.File("app.log");
  WriteFile(log, "start\n");
  ChildProcess viewer({CMDTAIL_PATH, "--color=always", "--alert=panic", "-f", log});
  ASSERT_TRUE(viewer.WaitForOut("start\n")) << viewer.out();
  AppendFile(log, "panic 1\n");
  ASSERT_TRUE(viewer.WaitForOut("start\npanic 1\n")) << viewer.out();
  AppendFile(log, "end\n");
  EXPECT_TRUE(viewer.WaitForOut("start\npanic 1\nend\n")) << viewer.out();
}

}  // namespace

// daylog started on a project home whose bin/cmdtail.exe is the built viewer.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>

#include <ctime>
#include <filesystem>

#include "child_process.h"

namespace {

std::string TodayStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[16];
  std::strftime(stamp, sizeof stamp, "%Y%m%d", &local);
  return stamp;
}

TEST(DaylogWithCmdtail, ShowsTheLogsLastLinesAndThenWhatIsAppended) {
  // The viewer outlives daylog; as subreaper this test inherits it and can reap it.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  TempDirectory home;
  std::filesystem::create_directories(home.File("bin"));
  std::filesystem::create_directories(home.File("log"));
  std::filesystem::create_symlink(CMDTAIL_PATH, home.File("bin/cmdtail.exe"));
  const std::string log = home.File("log/app." + TodayStamp());
  WriteFile(log, "old 1\nold 2\nrecent 1\nrecent 2\n");

  ChildProcess daylog({DAYLOG_PATH, home.File(""), "app"});
  EXPECT_TRUE(daylog.WaitForOut("old 1\nold 2\nrecent 1\nrecent 2\n")) << daylog.out();
  AppendFile(log, "appended\n");
  EXPECT_TRUE(daylog.WaitForOut("old 1\nold 2\nrecent 1\nrecent 2\nappended\n")) << daylog.out();
  // The viewer stays in daylog's process group; stopping the group stops it.
  daylog.SignalGroup(SIGTERM);
}

}  // namespace

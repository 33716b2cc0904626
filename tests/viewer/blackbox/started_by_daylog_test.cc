// daylog started on a project home whose bin/cmdtail.exe is the built viewer.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

// The names of the live processes (zombies included, as they are what must not be left) in a group.
std::vector<std::string> GroupMembers(pid_t group) {
  std::vector<std::string> members;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream statFile(entry.path() / "stat");
    std::string stat;
    if (!std::getline(statFile, stat)) {
      continue;
    }
    // "pid (name) state parent group ...": the name may hold blanks and parentheses.
    const std::size_t open = stat.find('(');
    const std::size_t close = stat.rfind(')');
    char state = 0;
    long parent = 0;
    long memberGroup = 0;
    if (open != std::string::npos && close != std::string::npos &&
        std::sscanf(stat.c_str() + close + 1, " %c %ld %ld", &state, &parent, &memberGroup) == 3 &&
        memberGroup == group) {
      members.push_back(stat.substr(open + 1, close - open - 1) + (state == 'Z' ? " (zombie)" : ""));
    }
  }
  return members;
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
  // daylog has ended; the viewer, in daylog's process group, is all that is left of the run.
  EXPECT_EQ(daylog.WaitForExit(), 0);
  EXPECT_EQ(GroupMembers(daylog.pid()), std::vector<std::string>{"cmdtail.exe"});

  // Stopped, the viewer leaves nothing behind.
  daylog.SignalGroup(SIGTERM);
  int status = 0;
  EXPECT_GT(waitpid(-daylog.pid(), &status, 0), 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(GroupMembers(daylog.pid()), std::vector<std::string>{});
}

// daylog names the log under the home as typed, "-proj\log\web.DATE", which cmdtail takes as a file.
TEST(DaylogWithCmdtail, ShowsTheLogOfARelativeHomeThatBeginsWithADash) {
  TempDirectory directory;
  const std::string home = directory.File("-proj");
  std::filesystem::create_directories(home + "/bin");
  std::filesystem::create_directories(home + "/log");
  std::filesystem::create_symlink(CMDTAIL_PATH, home + "/bin/cmdtail.exe");
  WriteFile(home + "/log/web." + TodayStamp(), "the day's line\n");
  ChildProcess daylog({DAYLOG_PATH, "-proj", "web"}, {.workDirectory = directory.path()});
  EXPECT_TRUE(daylog.WaitForOut("the day's line\n")) << daylog.out() << daylog.err();
}

}  // namespace

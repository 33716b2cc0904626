// The launcher as its user sees it: what it prints, how long it lasts and how it starts the viewer,
// run against real project homes. The same cases run natively and as daylog.exe under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "daylog_harness.h"
#include "scoped_variable.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kViewerWait = 10s;
// Long enough for a viewer that would have been started to have left its record.
constexpr auto kNoViewerWait = 2s;

constexpr char kNoReadPermission[] =
    "\xC0\xD0\xB1\xE2 \xB1\xC7\xC7\xD1\xC0\xCC \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.!!";

struct DayRun {
  std::string stamp;
  RunResult result;
};

// Prepares the home for today's date and runs daylog; should the local date change during the run,
// prepares and runs again, so that a run across midnight does not fail spuriously.
DayRun RunOnToday(const std::function<void(const std::string&)>& prepare,
                  const std::vector<std::string>& args, const std::string& workDirectory,
                  const RunOptions& options = {}) {
  for (;;) {
    DayRun run{TodayStamp(), {}};
    prepare(run.stamp);
    run.result = Target::Get().Run(args, workDirectory, options);
    if (TodayStamp() == run.stamp) {
      return run;
    }
  }
}

std::string ViewerPath(const std::string& home) { return home + "\\bin\\cmdtail.exe"; }

std::string LogPath(const std::string& home, const std::string& prefix, const std::string& stamp) {
  return home + "\\log\\" + prefix + "." + stamp;
}

// The record of a start whose command line is the two paths as they stand.
std::string PlainStart(const std::string& viewer, const std::string& log) {
  return ExpectedViewerRecord(viewer + " -f " + log, {viewer, "-f", log});
}

void ExpectQuietLaunch(const RunResult& result) {
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.status, 0);
  if (!Target::Get().IsWindows()) {
    EXPECT_EQ(result.err, "");
  }
  if (Target::Get().KeepsTime()) {
    EXPECT_LT(result.elapsed, 900ms) << "a launch must not pause";
  }
}

void ExpectFailure(const RunResult& result, const std::vector<std::string>& lines) {
  EXPECT_EQ(result.out, Target::Get().Lines(lines));
  EXPECT_EQ(result.status, 0);
  EXPECT_GE(result.elapsed, 1s) << "a failure pauses for a second";
}

// Starts daylog on a home with the viewer installed and today's log of the prefix present, and returns
// the viewer's record of how it was started, or nothing when it was not started.
struct Launch {
  DayRun run;
  std::optional<std::string> record;
};

Launch LaunchOn(const ProjectHome& home, const std::string& typedHome, const std::string& prefix,
                std::chrono::seconds viewerWait = kViewerWait) {
  home.InstallViewer();
  Launch launch{RunOnToday([&](const std::string& stamp) { home.AddLog(prefix, stamp); }, {typedHome, prefix},
                           home.root()),
                {}};
  launch.record = home.WaitForViewer(viewerWait);
  return launch;
}

void ExpectPlainLaunch(const ProjectHome& home, const std::string& typedHome, const std::string& prefix) {
  const Launch launch = LaunchOn(home, typedHome, prefix);
  ExpectQuietLaunch(launch.run.result);
  EXPECT_EQ(launch.record, PlainStart(ViewerPath(typedHome), LogPath(typedHome, prefix, launch.run.stamp)));
}

TEST(Arguments, FewerThanTwoEndAtOnceSilentlyAndStartNothing) {
  ProjectHome home;
  home.InstallViewer();
  home.AddLog("web", TodayStamp());
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, {home.typed()}}) {
    const RunResult result = Target::Get().Run(args, home.root());
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 0);
    if (Target::Get().KeepsTime()) {
      EXPECT_LT(result.elapsed, 900ms);
    }
  }
  EXPECT_EQ(home.WaitForViewer(kNoViewerWait), std::nullopt);
}

TEST(Arguments, ThirdAndLaterAreIgnored) {
  ProjectHome home;
  home.InstallViewer();
  const DayRun run = RunOnToday([&](const std::string& stamp) { home.AddLog("web", stamp); },
                                {home.typed(), "web", "extra", "-x"}, home.root());
  ExpectQuietLaunch(run.result);
  EXPECT_EQ(home.WaitForViewer(kViewerWait),
            PlainStart(ViewerPath(home.typed()), LogPath(home.typed(), "web", run.stamp)));
}

TEST(LogFile, MissingPrintsThePathAndTheMessageThenPauses) {
  ProjectHome home;
  home.InstallViewer();
  const DayRun run = RunOnToday([](const std::string&) {}, {home.typed(), "web"}, home.root());
  ExpectFailure(run.result, {LogPath(home.typed(), "web", run.stamp), "File not exist!!"});
  EXPECT_EQ(home.WaitForViewer(kNoViewerWait), std::nullopt);
}

// On Windows the access test passes such a file, and the open that follows it tells.
TEST(LogFile, UnreadableForTheUserPrintsTheKoreanMessage) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "needs root, to run daylog without the right to read every file";
  }
  ProjectHome home;
  home.InstallViewer();
  const DayRun run = RunOnToday(
      [&](const std::string& stamp) {
        std::filesystem::permissions(home.AddLog("web", stamp), std::filesystem::perms::none);
      },
      {home.typed(), "web"}, home.root(), UnprivilegedRun(home.root()));
  ExpectFailure(run.result, {LogPath(home.typed(), "web", run.stamp), kNoReadPermission});
  EXPECT_EQ(home.WaitForViewer(kNoViewerWait), std::nullopt);
}

TEST(LogFile, DirectoryNamedLikeTheLogPassesAndIsHandedToTheViewer) {
  ProjectHome home;
  home.InstallViewer();
  const DayRun run = RunOnToday([&](const std::string& stamp) { home.AddLogDirectory("web", stamp); },
                                {home.typed(), "web"}, home.root());
  ExpectQuietLaunch(run.result);
  EXPECT_EQ(home.WaitForViewer(kViewerWait),
            PlainStart(ViewerPath(home.typed()), LogPath(home.typed(), "web", run.stamp)));
}

TEST(Launch, HandsTheViewerItsPathFlagAndLogPathAsFormed) {
  {
    ProjectHome home;
    ExpectPlainLaunch(home, home.typed(), "web");
  }
  {
    ProjectHome relative;
    ExpectPlainLaunch(relative, "home", "web");
  }
  {
    ProjectHome trailingBackslash;
    ExpectPlainLaunch(trailingBackslash, trailingBackslash.typed() + "\\", "web");
  }
  {
    ProjectHome emptyPrefix;
    ExpectPlainLaunch(emptyPrefix, emptyPrefix.typed(), "");
  }
}

TEST(Launch, QuotesPathsWithBlanksSoTheViewerGetsThemWhole) {
  ProjectHome home("my project");
  const Launch launch = LaunchOn(home, home.typed(), "web");
  ExpectQuietLaunch(launch.run.result);
  const std::string viewer = ViewerPath(home.typed());
  const std::string log = LogPath(home.typed(), "web", launch.run.stamp);
  EXPECT_EQ(launch.record,
            ExpectedViewerRecord("\"" + viewer + "\" -f \"" + log + "\"", {viewer, "-f", log}));
}

TEST(Launch, EscapesQuotesInAPath) {
  if (Target::Get().IsWindows()) {
    GTEST_SKIP() << "Windows file names cannot hold a double quote";
  }
  ProjectHome home("say \"hi\"");
  const Launch launch = LaunchOn(home, home.typed(), "web");
  ExpectQuietLaunch(launch.run.result);
  const std::string viewer = ViewerPath(home.typed());
  EXPECT_EQ(launch.record,
            ExpectedViewerRecord({}, {viewer, "-f", LogPath(home.typed(), "web", launch.run.stamp)}));
}

TEST(Launch, ShellMetacharactersInThePrefixAreNeverExecuted) {
  for (const std::string prefix : {";touch pwned", "$(touch pwned)", "`touch pwned` && touch pwned"}) {
    ProjectHome home;
    const Launch launch = LaunchOn(home, home.typed(), prefix);
    ExpectQuietLaunch(launch.run.result);
    const std::string viewer = ViewerPath(home.typed());
    const std::string log = LogPath(home.typed(), prefix, launch.run.stamp);
    EXPECT_EQ(launch.record, ExpectedViewerRecord(viewer + " -f \"" + log + "\"", {viewer, "-f", log}));
    EXPECT_FALSE(std::filesystem::exists(home.root() + "/pwned")) << prefix;
  }
}

TEST(Launch, MissingViewerGivesNoOutputAndNoPause) {
  ProjectHome home;
  const DayRun run = RunOnToday([&](const std::string& stamp) { home.AddLog("web", stamp); },
                                {home.typed(), "web"}, home.root());
  ExpectQuietLaunch(run.result);
}

// Names a home path of exactly the given length under the home's temporary root.
std::string HomeOfLength(const ProjectHome& home, std::size_t length) {
  const std::string root = Target::Get().PathForm(home.root()) + (Target::Get().IsWindows() ? "\\" : "/");
  return root + std::string(length - root.size(), 'h');
}

TEST(Bounds, HomePathOf255PassesItsBoundAnd256IsRefused) {
  ProjectHome home;
  // A home of 255 passes its own bound; the command line holding it twice is then too long.
  const RunResult longest = Target::Get().Run({HomeOfLength(home, 255), "web"}, home.root());
  ExpectFailure(longest, {"Viewer command line is longer than 255 characters!!"});

  const RunResult refused = Target::Get().Run({HomeOfLength(home, 256), "web"}, home.root());
  ExpectFailure(refused, {"Project home path is longer than 255 characters!!"});
}

TEST(Bounds, LogPathOf512IsRefused) {
  ProjectHome home;
  // The log path is the home, "\log\", the prefix, "." and eight digits. A log path of 511 already
  // makes the command line, which holds it and the viewer path, too long.
  const std::string prefix(511 - home.typed().size() - 14, 'p');
  const RunResult longestLog = Target::Get().Run({home.typed(), prefix}, home.root());
  ExpectFailure(longestLog, {"Viewer command line is longer than 255 characters!!"});

  const RunResult refused = Target::Get().Run({home.typed(), prefix + "p"}, home.root());
  ExpectFailure(refused, {"Log path is longer than 511 characters!!"});
}

TEST(Bounds, CommandLineOf255IsLaunchedAnd256RefusedBeforeTheLogIsTested) {
  // The command line is the viewer path (home + 16), " -f " and the log path (home + prefix + 14).
  ProjectHome home;
  const std::string prefix(255 - 2 * home.typed().size() - 34, 'p');
  ExpectPlainLaunch(home, home.typed(), prefix);

  // Refused whether the log is there or not: the bound comes before the file tests.
  ProjectHome tooLong;
  const Launch refused = LaunchOn(tooLong, tooLong.typed(), prefix + "p", kNoViewerWait);
  ExpectFailure(refused.run.result, {"Viewer command line is longer than 255 characters!!"});
  EXPECT_EQ(refused.record, std::nullopt);
  const RunResult refusedWithoutLog = Target::Get().Run({tooLong.typed(), prefix + "q"}, tooLong.root());
  ExpectFailure(refusedWithoutLog, {"Viewer command line is longer than 255 characters!!"});
}

TEST(Output, AClosedOutputStillEndsWithStatusZeroAfterThePause) {
  ProjectHome home;
  RunOptions closedOutput;
  closedOutput.closedOutput = true;
  const RunResult result = Target::Get().Run({home.typed(), "web"}, home.root(), closedOutput);
  EXPECT_EQ(result.status, 0);
  EXPECT_GE(result.elapsed, 1s) << "the run goes on to its pause";
}

// Relative to the current directory, the home "h" names one viewer; copies of the same relative path
// beside the program and along the search path must never be started in its place.
TEST(Launch, StartsOnlyTheViewerUnderTheCurrentDirectory) {
  ProjectHome current("h");
  ProjectHome besideProgram("h");
  ProjectHome alongSearchPath("h");
  besideProgram.InstallViewer();
  alongSearchPath.InstallViewer();
  const char* searchVariable = Target::Get().IsWindows() ? "WINEPATH" : "PATH";
  const std::string searchPath = Target::Get().PathForm(alongSearchPath.root()) +
                                 (Target::Get().IsWindows() ? ";" : ":") + std::getenv("PATH");
  ScopedVariable search(searchVariable, searchPath);
  RunOptions fromBesideProgram;
  fromBesideProgram.programDirectory = besideProgram.root();

  const DayRun withoutViewer = RunOnToday([&](const std::string& stamp) { current.AddLog("web", stamp); },
                                          {"h", "web"}, current.root(), fromBesideProgram);
  ExpectQuietLaunch(withoutViewer.result);
  EXPECT_EQ(besideProgram.WaitForViewer(kNoViewerWait), std::nullopt);
  EXPECT_EQ(alongSearchPath.WaitForViewer(0s), std::nullopt);

  current.InstallViewer();
  const DayRun withViewer = RunOnToday([&](const std::string& stamp) { current.AddLog("web", stamp); },
                                       {"h", "web"}, current.root(), fromBesideProgram);
  ExpectQuietLaunch(withViewer.result);
  EXPECT_EQ(current.WaitForViewer(kViewerWait),
            PlainStart(ViewerPath("h"), LogPath("h", "web", withViewer.stamp)));
  EXPECT_EQ(besideProgram.WaitForViewer(0s), std::nullopt);
  EXPECT_EQ(alongSearchPath.WaitForViewer(0s), std::nullopt);
}

}  // namespace

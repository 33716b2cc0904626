// The built cmdtail run natively on real files in a temporary directory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "child_process.h"
#include "midnight_case.h"

namespace {

std::string NumberedLines(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    text += "line " + std::to_string(i) + "\n";
  }
  return text;
}

// Runs a shell command in `directory`; the test goes on only if it succeeded.
void Shell(const std::string& directory, const std::string& command) {
  ASSERT_EQ(std::system(("cd '" + directory + "' && " + command).c_str()), 0) << command;
}

class CmdtailTest : public ::testing::Test {
 protected:
  std::unique_ptr<ChildProcess> Start(std::vector<std::string> options, const std::string& file) {
    options.insert(options.begin(), CMDTAIL_PATH);
    options.insert(options.end(), {"-f", file});
    return std::make_unique<ChildProcess>(options);
  }
  std::unique_ptr<ChildProcess> Follow(const std::string& initial, const std::string& shown) {
    WriteFile(log_, initial);
    auto viewer = Start({}, log_);
    EXPECT_TRUE(viewer->WaitForOut(shown));
    return viewer;
  }

  TempDirectory directory_;
  const std::string log_ = directory_.File("app.log");
};

struct LastLinesCase {
  const char* name;
  std::string content;
  std::vector<std::string> options;
  std::string expected;
};

void PrintTo(const LastLinesCase& testCase, std::ostream* out) { *out << testCase.name; }

class LastLinesTest : public CmdtailTest, public ::testing::WithParamInterface<LastLinesCase> {};

TEST_P(LastLinesTest, ShowsExactlyTheLastLines) {
  WriteFile(log_, GetParam().content);
  auto viewer = Start(GetParam().options, log_);
  EXPECT_TRUE(viewer->WaitForOut(GetParam().expected));
  viewer->ReadFor(200ms);
  EXPECT_EQ(viewer->out(), GetParam().expected);
  EXPECT_EQ(viewer->err(), "");
}

const std::string kLongLine(150000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Files, LastLinesTest,
    ::testing::Values(LastLinesCase{"TenByDefault", NumberedLines(1, 25), {}, NumberedLines(16, 25)},
                      LastLinesCase{"FinalLineWithoutNewline", "a\nb\nc", {"-n", "2"}, "b\nc"},
                      LastLinesCase{"FewerLinesThanAsked", "a\nb\n", {"-n", "5"}, "a\nb\n"},
                      LastLinesCase{"EmptyFile", "", {}, ""},
                      LastLinesCase{"EmptyLines", "\n\n\n\n", {"-n", "3"}, "\n\n\n"},
                      LastLinesCase{"NoLinesAsked", "a\nb\n", {"-n", "0"}, ""},
                      LastLinesCase{"LinesLongerThanABlock",
                                    "1" + kLongLine + "\n2" + kLongLine + "\n3" + kLongLine,
                                    {"-n", "2"},
                                    "2" + kLongLine + "\n3" + kLongLine}),
    [](const auto& info) { return info.param.name; });

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
  viewer->ReadFor(300ms);
  EXPECT_EQ(viewer->out(), expected);
}

TEST_F(CmdtailTest, PassesPartialLinesAndRawBytesUnchanged) {
  auto viewer = Follow("", "");
  // Code page 949 text, a CR LF ending and a NUL byte, in pieces that split a line.
  AppendFile(log_, "\xC7\xD1\xB1\xB9");
  ASSERT_TRUE(viewer->WaitForOut("\xC7\xD1\xB1\xB9"));
  AppendFile(log_, std::string("\xBE\xEE\r\n\0z", 6));
  EXPECT_TRUE(viewer->WaitForOut(std::string("\xC7\xD1\xB1\xB9\xBE\xEE\r\n\0z", 10)));
}

class TerminalTest : public CmdtailTest,
                     public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

// On a terminal (a pseudo-terminal, which ends lines in CR LF) the log's escape sequences never reach it
// as such, unless asked for.
TEST_P(TerminalTest, ShowsTheLogsControlCharactersAsAskedFor) {
  WriteFile(log_, "a\x1b]0;PWNED\a\x1b[2J\n");
  ChildProcess viewer(
      {"/usr/bin/script", "-qec",
       std::string("env NO_COLOR=1 '") + CMDTAIL_PATH + "' " + GetParam().first + " '" + log_ + "'",
       "/dev/null"});
  EXPECT_EQ(viewer.WaitForExit(), 0);
  EXPECT_EQ(viewer.out(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Options, TerminalTest,
                         ::testing::Values(std::pair{"-n 1", "a^[]0;PWNED^G^[[2J\r\n"},
                                           std::pair{"--raw -n 1", "a\x1b]0;PWNED\a\x1b[2J\r\n"}),
                         [](const auto& info) { return info.index == 0 ? "Visible" : "Raw"; });

TEST_F(CmdtailTest, NeverJoinsAHalfCharacterToWhatFollowsATruncation) {
  // Half a code page 949 character; truncated to one byte that would complete it.
  WriteFile(log_, "a\xC7");
  ChildProcess viewer({"/usr/bin/env", "LC_ALL=C.UTF-8", CMDTAIL_PATH, "--encoding=CP949", "-f", log_});
  ASSERT_TRUE(viewer.WaitForOut("a"));
  WriteFile(log_, "\xA1");
  ASSERT_TRUE(viewer.WaitForOut("a\xEF\xBF\xBD")) << viewer.out();
  AppendFile(log_, "\xA1\n");
  EXPECT_TRUE(viewer.WaitForOut("a\xEF\xBF\xBD\xE3\x80\x80\n")) << viewer.out();
}

TEST_F(CmdtailTest, ReadsAStatefulEncodingFromItsInitialStateAfterATruncation) {
  // ISO-2022-KR shifted out to Korean for one character, and never shifted back.
  WriteFile(log_, "\x1b$)C\x0e\x30\x21");
  ChildProcess viewer({"/usr/bin/env", "LC_ALL=C.UTF-8", CMDTAIL_PATH, "--encoding=ISO-2022-KR", "-f", log_});
  ASSERT_TRUE(viewer.WaitForOut("\xEA\xB0\x80")) << viewer.out();
  WriteFile(log_, "abc\n");
  EXPECT_TRUE(
      viewer.WaitForOut("\xEA\xB0\x80"
                        "abc\n"))
      << viewer.out();
}

TEST_F(CmdtailTest, GoesOnFromTheStartOfATruncatedFile) {
  auto viewer = Follow("one\ntwo\nthree\n", "one\ntwo\nthree\n");
  WriteFile(log_, "new\n");
  EXPECT_TRUE(viewer->WaitForOut("one\ntwo\nthree\nnew\n")) << viewer->out();
  EXPECT_TRUE(viewer->WaitForErrContaining("truncated"));
}

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

TEST_F(CmdtailTest, ReadsAWindowsFormPathWithBackslashes) {
  WriteFile(log_, "a\nb\n");
  std::string windowsForm = log_;
  std::replace(windowsForm.begin(), windowsForm.end(), '/', '\\');
  auto viewer = Start({"-n", "1"}, windowsForm);
  EXPECT_TRUE(viewer->WaitForOut("b\n"));
}

const ViewerCommand kNativeViewer{{CMDTAIL_PATH}, [](const std::string& path) { return path; }, "\n", 5s};

TEST_F(CmdtailTest, FollowsTheDaysLogIntoTheNextDaysAfterMidnight) {
  ExpectRolloverAcrossMidnight(kNativeViewer);
}

TEST_F(CmdtailTest, SwitchesAtMidnightToTheNextDaysLogMadeBeforeIt) {
  std::string newLog;
  MidnightRun run(
      kNativeViewer, {}, "before\n", [&](const TempDirectory& directory, const MidnightZone& zone) {
        WriteFile(directory.File("web." + DateStamp(zone.newDay - std::chrono::days{1})), "before\n");
        newLog = directory.File("web." + DateStamp(zone.newDay));
        WriteFile(newLog, "new day\n");
        return directory.File("web." + DateStamp(zone.newDay - std::chrono::days{1}));
      });
  ASSERT_TRUE(run.Started());
  run.PassMidnight();
  EXPECT_TRUE(run.viewer().WaitForOut("before\nnew day\n", 1s)) << run.viewer().out();
}

struct StayCase {
  const char* name;
  std::vector<std::string> options;
  // How many days before the day that ends at midnight the followed log is dated.
  int daysBack;
};

void PrintTo(const StayCase& testCase, std::ostream* out) { *out << testCase.name; }

class StaysOnItsLogTest : public ::testing::TestWithParam<StayCase> {};

// Every later day's log exists from the start, so a wrong switch would show at once.
TEST_P(StaysOnItsLogTest, AcrossMidnight) {
  std::string followed;
  MidnightRun run(kNativeViewer, GetParam().options, "followed\n",
                  [&](const TempDirectory& directory, const MidnightZone& zone) {
                    const auto followedDay = zone.newDay - std::chrono::days{1 + GetParam().daysBack};
                    for (auto day = followedDay + std::chrono::days{1}; day <= zone.newDay;
                         day += std::chrono::days{1}) {
                      WriteFile(directory.File("web." + DateStamp(day)), "another day\n");
                    }
                    followed = directory.File("web." + DateStamp(followedDay));
                    WriteFile(followed, "followed\n");
                    return followed;
                  });
  ASSERT_TRUE(run.Started());
  run.PassMidnight();
  AppendFile(followed, "after midnight\n");
  EXPECT_TRUE(run.viewer().WaitForOut("followed\nafter midnight\n")) << run.viewer().out();
  // A switch would come within a second of midnight.
  run.viewer().ReadFor(1s);
  EXPECT_EQ(run.viewer().out(), "followed\nafter midnight\n");
  EXPECT_EQ(run.viewer().err(), "");
}

INSTANTIATE_TEST_SUITE_P(Logs, StaysOnItsLogTest,
                         ::testing::Values(StayCase{"TodaysWithNoRollover", {"--no-rollover"}, 0},
                                           StayCase{"PastDays", {}, 1}),
                         [](const auto& info) { return info.param.name; });

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
  ASSERT_TRUE(viewer.WaitUntil([&] { return viewer.HasOpen(log_); }));
  viewer.ReadFor(200ms);
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

TEST_F(CmdtailTest, ShowsStandardInputFromALineNumberOn) {
  ChildProcess viewer({CMDTAIL_PATH, "-n", "+3"}, {.pipeIn = true});
  // Line 3 begins in the middle of a write.
  viewer.WriteIn("one\ntw");
  viewer.WriteIn("o\nthree\nfour\nfive\nsix\n");
  viewer.CloseIn();
  EXPECT_EQ(viewer.WaitForExit(), 0);
  EXPECT_EQ(viewer.out(), "three\nfour\nfive\nsix\n");
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

class FailingOutputTest : public CmdtailTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FailingOutputTest, NamesStandardOutputAndEndsWithStatusOne) {
  WriteFile(log_, "a\n");
  ChildProcess viewer(
      {"/bin/sh", "-c",
       std::string("exec '") + CMDTAIL_PATH + "' " + GetParam() + " '" + log_ + "' >/dev/full"});
  EXPECT_EQ(viewer.WaitForExit(), 1);
  EXPECT_EQ(viewer.err(), "cmdtail: cannot write standard output: No space left on device\n");
}

INSTANTIATE_TEST_SUITE_P(Runs, FailingOutputTest, ::testing::Values("-f", "--help", "--version"));

class UnopenableFileTest : public CmdtailTest,
                           public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

// The reason is the failing open's own.
TEST_P(UnopenableFileTest, IsRefusedWithTheReason) {
  std::filesystem::create_directory(directory_.File("directory"));
  const std::string file = directory_.File(GetParam().first);
  auto viewer = Start({}, file);
  EXPECT_EQ(viewer->WaitForExit(), 1);
  EXPECT_EQ(viewer->err(), "cmdtail: cannot open " + file + ": " + GetParam().second + "\n");
}

INSTANTIATE_TEST_SUITE_P(Files, UnopenableFileTest,
                         ::testing::Values(std::pair{"missing", "No such file or directory"},
                                           std::pair{"directory", "Is a directory"}),
                         [](const auto& info) { return info.param.first; });

// Runs that end by themselves: the options, the encoding and the colour, on a log holding a warning,
// code page 949 text on an error line and an ordinary line.
struct RunCase {
  const char* name;
  std::vector<std::string> environment;
  std::vector<std::string> args;
  std::string out;
  std::string err;
  int status = 0;
  // Only the start of standard output is compared.
  bool outPrefixOnly = false;
};

void PrintTo(const RunCase& testCase, std::ostream* out) { *out << testCase.name; }

class RunToTheEndTest : public CmdtailTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunToTheEndTest, WritesExactlyThisAndEnds) {
  WriteFile(log_, "one\ntwo\nWARN disk low\n\xC7\xD1\xB1\xB9 ERROR\nlast\n");
  // A known locale, and none of the user's own settings for the encoding and the colour.
  std::vector<std::string> argv{"/usr/bin/env", "-u", "CMDTAIL_ENCODING", "-u", "NO_COLOR", "LC_ALL=C.UTF-8"};
  argv.insert(argv.end(), GetParam().environment.begin(), GetParam().environment.end());
  argv.emplace_back(CMDTAIL_PATH);
  for (const std::string& arg : GetParam().args) {
    argv.push_back(arg == "LOG" ? log_ : arg);
  }
  ChildProcess viewer(argv);
  EXPECT_EQ(viewer.WaitForExit(), GetParam().status);
  if (GetParam().outPrefixOnly) {
    EXPECT_EQ(viewer.out().rfind(GetParam().out, 0), 0u) << viewer.out();
  } else {
    EXPECT_EQ(viewer.out(), GetParam().out);
  }
  EXPECT_EQ(viewer.err(), GetParam().err);
}

// A run that shows `out` and ends with status 0.
RunCase Shows(const char* name, std::vector<std::string> environment, std::vector<std::string> args,
              std::string out) {
  return RunCase{name, std::move(environment), std::move(args), std::move(out), "", 0, false};
}

const std::string kWarnAndError = "WARN disk low\n\xC7\xD1\xB1\xB9 ERROR\n";
const std::string kErrorUtf8 = "\xED\x95\x9C\xEA\xB5\xAD ERROR\n";

INSTANTIATE_TEST_SUITE_P(
    Options, RunToTheEndTest,
    ::testing::Values(
        Shows("WithoutFollowTheLastLines", {}, {"LOG"}, "one\ntwo\n" + kWarnAndError + "last\n"),
        Shows("LastN", {}, {"-n", "2", "LOG"}, "\xC7\xD1\xB1\xB9 ERROR\nlast\n"),
        Shows("LinesEquals", {}, {"LOG", "--lines=1"}, "last\n"),
        Shows("FromLineK", {}, {"-n", "+4", "LOG"}, "\xC7\xD1\xB1\xB9 ERROR\nlast\n"),
        Shows("FromLineBeyondTheEnd", {}, {"--lines=+9", "LOG"}, ""),
        Shows("Version", {}, {"--version"}, "cmdtail " CMDTAIL_VERSION "\n"),
        RunCase{"Help", {}, {"LOG", "--help"}, "usage: cmdtail [OPTIONS] [FILE]...\n", "", 0, true}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Filters, RunToTheEndTest,
    ::testing::Values(
        Shows("LastLinesShown", {}, {"-n", "1", "--grep=o", "LOG"}, "WARN disk low\n"),
        Shows("IgnoringCaseAndExcluding", {}, {"-i", "--grep=error", "--grep=ONE", "--exclude=two", "LOG"},
              "one\n\xC7\xD1\xB1\xB9 ERROR\n"),
        Shows("DecodedText", {}, {"--encoding=CP949", "--grep=\xED\x95\x9C\xEA\xB5\xAD", "LOG"}, kErrorUtf8),
        Shows("FromLineK", {}, {"-n", "+2", "--exclude=o", "LOG"}, "\xC7\xD1\xB1\xB9 ERROR\nlast\n")),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    EncodingAndColour, RunToTheEndTest,
    ::testing::Values(
        Shows("EncodingOption", {}, {"-n", "2", "--encoding", "CP949", "LOG"}, kErrorUtf8 + "last\n"),
        Shows("EncodingVariable", {"CMDTAIL_ENCODING=CP949"}, {"-n", "2", "LOG"}, kErrorUtf8 + "last\n"),
        Shows("OptionBeforeVariable", {"CMDTAIL_ENCODING=NOPE"}, {"-n", "2", "--encoding=cp949", "LOG"},
              kErrorUtf8 + "last\n"),
        RunCase{"UnknownEncoding",
                {},
                {"--encoding", "NOPE", "LOG"},
                "",
                "cmdtail: unknown encoding NOPE\n",
                2,
                false},
        Shows("ColourAlways", {"NO_COLOR=1"}, {"-n", "3", "--color=always", "--encoding=CP949", "LOG"},
              "\x1b[33mWARN disk low\x1b[0m\n\x1b[31m" + kErrorUtf8.substr(0, kErrorUtf8.size() - 1) +
                  "\x1b[0m\nlast\n"),
        Shows("ColourNever", {}, {"-n", "3", "--color=never", "LOG"}, kWarnAndError + "last\n"),
        Shows("HighlightAlways", {}, {"-n", "1", "--color=always", "--highlight=as", "LOG"},
              "l\x1b[30;46mas\x1b[0mt\n"),
        Shows("NoColourOrDecodingOnAPipeByDefault", {}, {"-n", "3", "LOG"}, kWarnAndError + "last\n")),
    [](const auto& info) { return info.param.name; });

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

// A line is shown once it is whole, never in pieces, however the writer writes it.
TEST_F(CmdtailTest, FiltersOnlyWholeLinesWhileFollowing) {
  // The log exists before cmdtail starts, which would refuse a missing one.
  WriteFile(log_, "");
  auto viewer = Start({"--grep=ERROR"}, log_);
  AppendFile(log_, "ERR");
  viewer->ReadFor(300ms);
  EXPECT_EQ(viewer->out(), "");
  AppendFile(log_, "OR x\nok\n");
  EXPECT_TRUE(viewer->WaitForOut("ERROR x\n")) << viewer->out();
}

struct SettingsCase {
  const char* name;
  std::string settings;
  std::vector<std::string> args;
  std::string out;
  std::string err;
  int status = 0;
};

void PrintTo(const SettingsCase& testCase, std::ostream* out) { *out << testCase.name; }

class SettingsTest : public CmdtailTest, public ::testing::WithParamInterface<SettingsCase> {};

// The settings file beside a copy of cmdtail, under the command line and CMDTAIL_ENCODING.
TEST_P(SettingsTest, AreTakenAsTheirPlaceSays) {
  const std::string program = directory_.File("cmdtail.exe");
  std::filesystem::copy_file(CMDTAIL_PATH, program);
  WriteFile(directory_.File("cmdtail.conf"), GetParam().settings);
  WriteFile(log_, "one\ntwo\n\xC7\xD1 ERROR\n");
  std::vector<std::string> argv{"/usr/bin/env",      "-u",   "NO_COLOR", "LC_ALL=C.UTF-8",
                                "CMDTAIL_ENCODING=", program};
  argv.insert(argv.end(), GetParam().args.begin(), GetParam().args.end());
  argv.push_back(log_);
  ChildProcess viewer(argv);
  EXPECT_EQ(viewer.WaitForExit(), GetParam().status);
  EXPECT_EQ(viewer.out(), GetParam().out);
  EXPECT_EQ(viewer.err(), GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsTest,
    ::testing::Values(
        SettingsCase{"EncodingColourAndHighlight",
                     "# the project's own\n encoding=CP949 \r\n\ncolor=always\nhighlight=\xED\x95\x9C\n",
                     {"-n", "1"},
                     "\x1b[31m\x1b[30;46m\xED\x95\x9C\x1b[0m\x1b[31m ERROR\x1b[0m\n",
                     ""},
        SettingsCase{"CommandLineFirst", "grep=one\nlines=1\n", {"--grep=two", "-n", "5"}, "two\n", ""},
        SettingsCase{"NoConfig", "bogus\n", {"--no-config", "-n", "1"}, "\xC7\xD1 ERROR\n", ""},
        SettingsCase{"UnknownOption",
                     "lines=1\nbogus\n",
                     {},
                     "",
                     "cmdtail: cmdtail.conf:2: unknown option --bogus\n",
                     2},
        SettingsCase{"LongLine",
                     "highlight=" + std::string(5000, 'x') + "\n",
                     {},
                     "",
                     "cmdtail: cmdtail.conf:1: line longer than 4 KiB\n",
                     2},
        SettingsCase{
            "LargeFile", std::string(70000, '\n'), {}, "", "cmdtail: cmdtail.conf: larger than 64 KiB\n", 2}),
    [](const auto& info) { return info.param.name; });

// Wherever the reads of the file cut its lines, every complete ERROR line comes out red.
TEST_F(CmdtailTest, ColoursEveryCompleteLineWhereverTheReadsCutIt) {
  std::string content;
  for (int i = 0; i < 5000; ++i) {
    content +=
        (i % 3 == 0 ? "ERROR " : "ok ") + std::string(static_cast<std::size_t>(i * 7919 % 3000), 'x') + "\n";
  }
  WriteFile(log_, content);
  ChildProcess viewer({CMDTAIL_PATH, "-n", "+1", "--color=always", log_});
  ASSERT_EQ(viewer.WaitForExit(), 0);
  std::size_t errorLines = 0;
  for (std::size_t at = 0; at < viewer.out().size();) {
    const std::size_t end = viewer.out().find('\n', at);
    const std::string line = viewer.out().substr(at, end - at);
    if (line.find("ERROR") != std::string::npos) {
      ++errorLines;
      EXPECT_TRUE(line.starts_with("\x1b[31mERROR ") && line.ends_with("\x1b[0m")) << "line " << at;
    }
    at = end + 1;
  }
  EXPECT_EQ(errorLines, 1667u);
}

class ColourStopTest : public CmdtailTest, public ::testing::WithParamInterface<bool> {};

// A stop that lands inside a coloured line, while the output is full (a slow terminal), still leaves
// the output uncoloured, also when the output does not block and is still full as cmdtail ends.
TEST_P(ColourStopTest, ClosesAColourLeftOpenByAStop) {
  // Each line is longer than the output pipe holds: the stop comes inside the first line's write.
  WriteFile(log_, "WARN " + std::string(100000, 'w') + "\nWARN " + std::string(100000, 'w') + "\n");
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

// Text in UTF-16, from ASCII and U+0A05, whose code unit holds a byte 0A that ends no line.
std::string Utf16(std::string_view text, bool bigEndian) {
  std::string units;
  for (const char c : text) {
    const std::string unit = c == '@' ? std::string("\x05\x0A") : std::string{c, '\0'};
    units += bigEndian ? std::string{unit[1], unit[0]} : unit;
  }
  return units;
}

const std::string kUtf16Lines = "one\r\n@two\r\nthree@\r\n";
const std::string kShownUtf8 = "\xE0\xA8\x85two\r\nthree\xE0\xA8\x85\r\n";

struct MarkedCase {
  const char* name;
  std::string content;
  std::vector<std::string> options;
};

void PrintTo(const MarkedCase& testCase, std::ostream* out) { *out << testCase.name; }

class EncodingOfTheFileTest : public CmdtailTest,
                              public ::testing::WithParamInterface<std::tuple<MarkedCase, bool>> {};

// The last lines are counted in whole characters, and a byte order mark is never shown. Through a pipe,
// from line 2 on, the stream is told by its mark too, its writes cut inside the mark and a line end.
TEST_P(EncodingOfTheFileTest, ShowsTheLastLinesAsText) {
  const auto& [marked, throughAPipe] = GetParam();
  WriteFile(log_, marked.content);
  std::vector<std::string> argv{"/usr/bin/env", "-u", "CMDTAIL_ENCODING",       "LC_ALL=C.UTF-8",
                                CMDTAIL_PATH,   "-n", throughAPipe ? "+2" : "2"};
  argv.insert(argv.end(), marked.options.begin(), marked.options.end());
  argv.push_back(throughAPipe ? "-" : log_);
  ChildProcess viewer(argv, {.pipeIn = throughAPipe});
  if (throughAPipe) {
    for (const auto& [from, to] : {std::pair{0, 1}, {1, 11}, {11, -1}}) {
      viewer.WriteIn(marked.content.substr(from, to < 0 ? std::string::npos : to - from));
      viewer.ReadFor(20ms);
    }
    viewer.CloseIn();
  }
  EXPECT_EQ(viewer.WaitForExit(), 0);
  EXPECT_EQ(viewer.out(), kShownUtf8);
}

INSTANTIATE_TEST_SUITE_P(
    Marks, EncodingOfTheFileTest,
    ::testing::Combine(
        ::testing::Values(
            MarkedCase{"Utf16LittleEndianMark", "\xFF\xFE" + Utf16(kUtf16Lines, false), {}},
            MarkedCase{"Utf16BigEndianMark", "\xFE\xFF" + Utf16(kUtf16Lines, true), {}},
            MarkedCase{"Utf8Mark", "\xEF\xBB\xBFone\r\n" + kShownUtf8, {}},
            MarkedCase{
                "Utf16AskedForWithItsMark", "\xFF\xFE" + Utf16(kUtf16Lines, false), {"--encoding=UTF-16"}},
            MarkedCase{"Utf16BigEndianAskedFor", Utf16(kUtf16Lines, true), {"--encoding=UTF-16BE"}}),
        ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "ThroughAPipe" : "");
    });

// A new file after a rotation is read in the encoding of its own mark.
TEST_F(CmdtailTest, FollowsAUtf16LogAndReadsEachNewFileByItsOwnMark) {
  WriteFile(log_, "\xFF\xFE" + Utf16("old\r\n", false));
  ChildProcess viewer({"/usr/bin/env", "-u", "CMDTAIL_ENCODING", "LC_ALL=C.UTF-8", CMDTAIL_PATH, "-f", log_});
  ASSERT_TRUE(viewer.WaitForOut("old\r\n")) << viewer.out();
  // A character cut between two writes.
  AppendFile(log_, Utf16("@", false).substr(0, 1));
  AppendFile(log_, Utf16("@", false).substr(1) + Utf16("\r\n", false));
  ASSERT_TRUE(viewer.WaitForOut("old\r\n\xE0\xA8\x85\r\n")) << viewer.out();
  ASSERT_EQ(rename(log_.c_str(), directory_.File("app.log.1").c_str()), 0);
  WriteFile(log_, "\xFE\xFF" + Utf16("new\n", true));
  EXPECT_TRUE(viewer.WaitForOut("old\r\n\xE0\xA8\x85\r\nnew\n")) << viewer.out();
}

class BadCommandLineTest : public CmdtailTest,
                           public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(BadCommandLineTest, FailsWithOneLineOnStandardError) {
  WriteFile(log_, "a\n");
  std::vector<std::string> argv{CMDTAIL_PATH};
  for (const std::string& arg : GetParam()) {
    argv.push_back(arg == "LOG" ? log_ : arg);
  }
  ChildProcess viewer(argv);
  EXPECT_EQ(viewer.WaitForExit(), 2);
  EXPECT_EQ(viewer.out(), "");
  EXPECT_EQ(viewer.err().rfind("cmdtail: ", 0), 0u) << viewer.err();
  EXPECT_EQ(std::count(viewer.err().begin(), viewer.err().end(), '\n'), 1);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, BadCommandLineTest,
                         ::testing::Values(std::vector<std::string>{"-f", "-n"},
                                           std::vector<std::string>{"-n", "x", "-f", "LOG"},
                                           std::vector<std::string>{"-x", "-f", "LOG"},
                                           std::vector<std::string>{"--color=blue", "LOG"},
                                           std::vector<std::string>{"--lines=", "LOG"}));

}  // namespace

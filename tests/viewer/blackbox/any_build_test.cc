// Cases that hold for both builds of cmdtail, run natively and as cmdtail.exe under Wine: following a
// log across an append, a rename, a deletion and midnight; files it cannot open; decoding; the settings
// file beside the program; expressions, context, records and levels.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cmdtail_fixture.h"

namespace {

// cmdtail run to its end on `file` in a known locale: the native build writes decoded text as UTF-8 too.
std::unique_ptr<ChildProcess> RunToEnd(std::vector<std::string> options, const std::string& file,
                                       const std::string& program = Cmdtail().program.back()) {
  std::vector<std::string> argv{"/usr/bin/env", "LC_ALL=C.UTF-8"};
  argv.insert(argv.end(), Cmdtail().program.begin(), Cmdtail().program.end() - 1);
  argv.push_back(program);
  argv.insert(argv.end(), options.begin(), options.end());
  argv.push_back(Cmdtail().pathForm(file));
  return std::make_unique<ChildProcess>(argv);
}

using AnyBuild = CmdtailTest;

TEST_F(AnyBuild, ShowsTheLastLinesAndFollowsAnAppend) {
  WriteFile(log_, "one\r\ntwo\n\xC7\xD1\xB1\xB9\n");
  const auto viewer = Start({"-n", "2"}, log_);
  ASSERT_TRUE(viewer->WaitForOut("two\n\xC7\xD1\xB1\xB9\n", StartPatience()))
      << viewer->out() << viewer->err();
  AppendFile(log_, "three\r\nfour");
  EXPECT_TRUE(viewer->WaitForOut("two\n\xC7\xD1\xB1\xB9\nthree\r\nfour", Cmdtail().patience))
      << viewer->out();
}

TEST_F(AnyBuild, FollowsTheDaysLogIntoTheNextDaysAfterMidnight) { ExpectRolloverAcrossMidnight(Cmdtail()); }

TEST_F(AnyBuild, FollowsARenamedLogUntilANewFileTakesTheName) {
  const auto viewer = Follow("old\n", "old\n");
  const std::string rotated = directory_.File("app.log.1");
  ASSERT_EQ(std::rename(log_.c_str(), rotated.c_str()), 0);
  // The writer still has the renamed file open and writes on.
  AppendFile(rotated, "late\n");
  EXPECT_TRUE(viewer->WaitForOut("old\nlate\n", Cmdtail().patience)) << viewer->out();
  WriteFile(log_, "new\n");
  EXPECT_TRUE(viewer->WaitForOut("old\nlate\nnew\n", Cmdtail().patience)) << viewer->out();
}

TEST_F(AnyBuild, ReadsAFileMadeAfterADeletionFromItsStart) {
  const auto viewer = Follow("old\n", "old\n");
  ASSERT_EQ(unlink(log_.c_str()), 0);
  viewer->ReadFor(500ms);
  // The new file may get the deleted file's index; it is still read from its first byte.
  WriteFile(log_, "new one\nnew two\n");
  EXPECT_TRUE(viewer->WaitForOut("old\nnew one\nnew two\n", Cmdtail().patience)) << viewer->out();
  EXPECT_TRUE(viewer->WaitForErrContaining("replaced", Cmdtail().patience));
}

class AnyBuildUnopenableFileTest : public CmdtailTest, public ::testing::WithParamInterface<const char*> {};

// The reason is the failing open's own, in the system's words.
TEST_P(AnyBuildUnopenableFileTest, IsRefusedWithTheReason) {
  ASSERT_EQ(mkdir(directory_.File("directory").c_str(), 0755), 0);
  const std::string file = directory_.File(GetParam());
  const std::string missing = UnderWine() ? "File not found" : "No such file or directory";
  const auto viewer = Start({}, file);
  EXPECT_EQ(viewer->WaitForExit(StartPatience()), 1);
  EXPECT_EQ(viewer->err(), "cmdtail: cannot open " + Cmdtail().pathForm(file) + ": " +
                               (GetParam() == std::string("missing") ? missing : "Is a directory") +
                               Cmdtail().errorLineEnd);
}

INSTANTIATE_TEST_SUITE_P(Files, AnyBuildUnopenableFileTest, ::testing::Values("missing", "directory"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(AnyBuild, WritesTheDecodedLogAsUtf8ToARedirectedOutput) {
  // Code page 949 text, an invalid byte, and a lead byte whose trail byte never came.
  WriteFile(log_, "skipped\nok\n\xC7\xD1\xB1\xB9 \xFF ERROR\n\xC7\n");
  const auto viewer = RunToEnd({"--encoding", "CP949", "-n", "3"}, log_);
  EXPECT_EQ(viewer->WaitForExit(StartPatience()), 0) << viewer->err();
  EXPECT_EQ(viewer->out(), "ok\n\xED\x95\x9C\xEA\xB5\xAD \xEF\xBF\xBD ERROR\n\xEF\xBF\xBD\n");
}

// UTF-16 as Windows tools write it, marked little endian, with a lone surrogate and a character whose
// code unit holds a byte 0A that ends no line.
TEST_F(AnyBuild, ReadsAUtf16LogByItsByteOrderMark) {
  WriteFile(log_, std::string("\xFF\xFE"
                              "a\0\r\0\n\0\x05\x0A"
                              "b\0\r\0\n\0\x00\xD8"
                              "c\0\r\0\n\0",
                              24));
  const auto viewer = RunToEnd({"-n", "2"}, log_);
  EXPECT_EQ(viewer->WaitForExit(StartPatience()), 0) << viewer->err();
  EXPECT_EQ(viewer->out(),
            "\xE0\xA8\x85"
            "b\r\n\xEF\xBF\xBD"
            "c\r\n");
}

// UTF-16 asked for without its byte order: the mark gives the order, else big endian.
TEST_F(AnyBuild, ReadsUtf16AskedForInTheOrderItsMarkNames) {
  const std::string marked = directory_.File("marked.log");
  const std::string unmarked = directory_.File("unmarked.log");
  WriteFile(marked, std::string("\xFF\xFE"
                                "a\0\n\0",
                                6));
  WriteFile(unmarked, std::string("\0b\0\n", 4));
  for (const auto& [log, shown] : {std::pair{marked, "a\n"}, std::pair{unmarked, "b\n"}}) {
    const auto viewer = RunToEnd({"--encoding=UTF-16"}, log);
    EXPECT_EQ(viewer->WaitForExit(StartPatience()), 0) << viewer->err();
    EXPECT_EQ(viewer->out(), shown);
  }
}

// The settings file is found beside the program as the system names it.
TEST_F(AnyBuild, TakesTheSettingsFileBesideTheProgram) {
  const std::string program = directory_.File("cmdtail.exe");
  std::filesystem::copy_file(Cmdtail().program.back(), program);
  WriteFile(directory_.File("cmdtail.conf"), "grep=two\r\n");
  WriteFile(log_, "one\ntwo\nthree\n");
  const auto viewer = RunToEnd({}, log_, program);
  EXPECT_EQ(viewer->WaitForExit(StartPatience()), 0) << viewer->err();
  EXPECT_EQ(viewer->out(), "two\n");
}

// A Java and a .NET stack trace among dated lines.
constexpr const char* kTracedLog =
    "2026-12-10 10:00:00 INFO start\n"
    "2026-12-10 10:00:01 ERROR failed elapsed=1234ms\n"
    "java.lang.IllegalStateException: boom\n"
    "\tat app.Main.run(Main.java:10)\n"
    "2026-12-10 10:00:02 [warn] slow elapsed=87ms\n"
    "2026-12-10 10:00:03 DEBUG tick\n"
    "   at Svc.Handle() in Svc.cs:line 5\n"
    "--- End of stack trace from previous location ---\n"
    "2026-12-10 10:00:04 INFO done\n";

struct SelectionCase {
  const char* name;
  std::vector<std::string> options;
  std::string out;
};

void PrintTo(const SelectionCase& selection, std::ostream* out) { *out << selection.name; }

class AnyBuildSelectionTest : public CmdtailTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(AnyBuildSelectionTest, ShowsTheLinesChosen) {
  WriteFile(log_, kTracedLog);
  const auto viewer = RunToEnd(GetParam().options, log_);
  EXPECT_EQ(viewer->WaitForExit(StartPatience()), 0) << viewer->err();
  EXPECT_EQ(viewer->out(), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, AnyBuildSelectionTest,
    ::testing::Values(
        SelectionCase{"Expression",
                      {"-n", "+1", "-E", "--grep=elapsed=[0-9]{4}ms"},
                      "2026-12-10 10:00:01 ERROR failed elapsed=1234ms\n"},
        SelectionCase{"AnchorsInAnyCase",
                      {"-n", "+1", "-E", "-i", "--grep=^JAVA|\\bDONE$"},
                      "java.lang.IllegalStateException: boom\n2026-12-10 10:00:04 INFO done\n"},
        SelectionCase{"ExpressionHighlighted",
                      {"-n", "+1", "--color=always", "-E", "--grep=warn", "--highlight=[0-9]+ms"},
                      "2026-12-10 10:00:02 [warn] slow elapsed=\x1b[30;46m87ms\x1b[0m\n"},
        SelectionCase{"ContextApart",
                      {"-n", "+1", "-C", "0", "--grep=INFO"},
                      "2026-12-10 10:00:00 INFO start\n--\n2026-12-10 10:00:04 INFO done\n"},
        SelectionCase{"ContextAround",
                      {"-n", "2", "-A", "1", "-B", "1", "--grep=DEBUG"},
                      "2026-12-10 10:00:03 DEBUG tick\n   at Svc.Handle() in Svc.cs:line 5\n"},
        SelectionCase{"RecordHeld",
                      {"-n", "+1", "--records", "--grep=boom"},
                      "2026-12-10 10:00:01 ERROR failed elapsed=1234ms\njava.lang.IllegalStateException: "
                      "boom\n\tat app.Main.run(Main.java:10)\n"},
        SelectionCase{"LastRecords",
                      {"-n", "2", "--records", "--exclude=ERROR"},
                      "2026-12-10 10:00:03 DEBUG tick\n   at Svc.Handle() in Svc.cs:line 5\n"
                      "--- End of stack trace from previous location ---\n2026-12-10 10:00:04 INFO done\n"},
        SelectionCase{"RecordStartGiven",
                      {"-n", "1", "--records", "--record-start=^(java|2026)"},
                      "2026-12-10 10:00:04 INFO done\n"},
        SelectionCase{
            "Level",
            {"-n", "+1", "--level=warn"},
            "2026-12-10 10:00:01 ERROR failed elapsed=1234ms\njava.lang.IllegalStateException: "
            "boom\n\tat app.Main.run(Main.java:10)\n2026-12-10 10:00:02 [warn] slow elapsed=87ms\n"}),
    [](const auto& info) { return info.param.name; });

// While following, a record a line shows streams; one no line shows is dropped when the next begins.
TEST_F(AnyBuild, FollowsRecordsAsTheirLinesArrive) {
  WriteFile(log_, "2026-12-10 10:00:00 INFO start\n");
  const auto viewer = Start({"--records", "--grep=ERROR"}, log_);
  AppendFile(log_, "2026-12-10 10:00:01 ERROR failed\n");
  ASSERT_TRUE(viewer->WaitForOut("2026-12-10 10:00:01 ERROR failed\n", StartPatience())) << viewer->out();
  AppendFile(log_, "\tat app.Main.run(Main.java:10)\n2026-12-10 10:00:02 INFO ok\n\tat x\n");
  AppendFile(log_, "2026-12-10 10:00:03 ERROR again\n");
  EXPECT_TRUE(viewer->WaitForOut(
      "2026-12-10 10:00:01 ERROR failed\n\tat app.Main.run(Main.java:10)\n2026-12-10 10:00:03 ERROR again\n",
      Cmdtail().patience))
      << viewer->out();
}

}  // namespace

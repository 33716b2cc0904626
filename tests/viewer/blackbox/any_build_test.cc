// Cases that hold for both builds of cmdtail, run natively and as cmdtail.exe under Wine: following a
// log across an append, a rename, a deletion and midnight; files it cannot open; decoding; the settings
// file beside the program.
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

}  // namespace

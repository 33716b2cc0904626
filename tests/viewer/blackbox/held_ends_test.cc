// The built cmdtail on several files: each file's part of the output under its own header.
#include <gtest/gtest.h>

#include "child_process.h"
#include "cmdtail_fixture.h"
#include "midnight_case.h"

namespace {

struct HeldEndCase {
  const char* name;
  // Given before the files, p and q; "p" is read from a pipe as standard input when `pipedP`.
  std::string options;
  bool pipedP;
  std::string out;
};

void PrintTo(const HeldEndCase& testCase, std::ostream* out) { *out << testCase.name; }

class HeldEndTest : public ::testing::TestWithParam<HeldEndCase> {};

// p ends in an unfinished line, and that in half a code page 949 character: whatever a stage holds
// back of it comes out under p's header, before q's, as `tail p q` shows them.
TEST_P(HeldEndTest, StaysUnderItsOwnFilesHeader) {
  TempDirectory directory;
  WriteFile(directory.File("p"), "x1\nkeep last\xC7");
  WriteFile(directory.File("q"), "keep b1\n");
  ChildProcess viewer({"/bin/sh", "-c",
                       "cd '" + directory.path() + "' && " + (GetParam().pipedP ? "cat p | " : "") +
                           "exec env LC_ALL=C.UTF-8 '" CMDTAIL_PATH "' " + GetParam().options +
                           (GetParam().pipedP ? " - q" : " p q")});
  EXPECT_EQ(viewer.WaitForExit(), 0);
  EXPECT_EQ(viewer.out(), GetParam().out);
  EXPECT_EQ(viewer.err(), "");
}

const std::string kQ = "==> q <==\nkeep b1\n";

INSTANTIATE_TEST_SUITE_P(
    Stages, HeldEndTest,
    ::testing::Values(HeldEndCase{"Grep", "--grep=keep", false, "==> p <==\nkeep last\xC7\n" + kQ},
                      HeldEndCase{"Exclude", "--exclude=x1", false, "==> p <==\nkeep last\xC7\n" + kQ},
                      HeldEndCase{"Colour", "--color=always", false, "==> p <==\nx1\nkeep last\xC7\n" + kQ},
                      HeldEndCase{"HalfACharacter", "--encoding=CP949", false,
                                  "==> p <==\nx1\nkeep last\xEF\xBF\xBD\n" + kQ},
                      HeldEndCase{"StreamShownToItsEnd", "--grep=keep", true,
                                  "==> standard input <==\nkeep last\xC7\n" + kQ}),
    [](const auto& info) { return info.param.name; });

class RolloverHeaderTest : public ::testing::TestWithParam<bool> {};

// After midnight the next day's log is named by a header of its own as its first line comes, with -v
// and beside another file alike.
TEST_P(RolloverHeaderTest, NamesTheNewDaysLog) {
  const bool besideAnother = GetParam();
  const TempDirectory elsewhere;
  const std::string another = elsewhere.File("another");
  WriteFile(another, "another\n");
  std::string oldLog;
  std::string newLog;
  std::string shown;
  MidnightRun run(Cmdtail(), {besideAnother ? another : "-v"}, shown,
                  [&](const TempDirectory& directory, const MidnightZone& zone) {
                    oldLog = directory.File("web." + DateStamp(zone.newDay - std::chrono::days{1}));
                    newLog = directory.File("web." + DateStamp(zone.newDay));
                    WriteFile(oldLog, "before\n");
                    shown = (besideAnother ? "==> " + another + " <==\nanother\n\n" : "") + "==> " + oldLog +
                            " <==\nbefore\n";
                    return oldLog;
                  });
  ASSERT_TRUE(run.Started());
  run.PassMidnight();
  WriteFile(newLog, "new day\n");
  const std::string expected = shown + "\n==> " + newLog + " <==\nnew day\n";
  EXPECT_TRUE(run.viewer().WaitForOut(expected, 5s)) << run.viewer().out();
  // Nothing more comes: a marker line is the next output, with no header before it.
  AppendFile(newLog, "marker\n");
  EXPECT_TRUE(run.viewer().WaitForOut(expected + "marker\n", 5s)) << run.viewer().out();
}

INSTANTIATE_TEST_SUITE_P(Headers, RolloverHeaderTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "BesideAnotherFile" : "Verbose"; });

}  // namespace

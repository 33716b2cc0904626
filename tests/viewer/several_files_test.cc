// The built cmdtail on several files: each file's part of the output under its own header.
#include <gtest/gtest.h>

#include "child_process.h"

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

}  // namespace

// The built cmdtail at the limits of its process: memory for a stream's last lines.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"

namespace {

struct MemoryCase {
  const char* name;
  // A line of this many bytes, without a line feed, on standard input.
  long long line;
  // Standard output's size, and standard error with the status.
  const char* out;
  const char* err;
};

void PrintTo(const MemoryCase& testCase, std::ostream* out) { *out << testCase.name; }

class StreamMemoryTest : public ::testing::TestWithParam<MemoryCase> {};

// Under a limit of 250 MB of address space, the whole line is kept once, or cmdtail says that it
// cannot be and ends.
TEST_P(StreamMemoryTest, KeepsALongLineOnceOrSaysThereIsNoRoom) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  ChildProcess viewer({"/bin/sh", "-c",
                       "ulimit -v 250000; head -c " + std::to_string(GetParam().line) + " /dev/zero | { '" +
                           CMDTAIL_PATH + "'; echo status $? >&2; } | wc -c"});
  ASSERT_EQ(viewer.WaitForExit(20s), 0);
  EXPECT_EQ(viewer.out(), GetParam().out);
  EXPECT_EQ(viewer.err(), GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, StreamMemoryTest,
    ::testing::Values(MemoryCase{"Fits", 150'000'000, "150000000\n", "status 0\n"},
                      MemoryCase{
                          "DoesNotFit", 400'000'000, "0\n",
                          "cmdtail: cannot keep the last lines of standard input: Cannot allocate memory\n"
                          "status 1\n"}),
    [](const auto& info) { return info.param.name; });

}  // namespace

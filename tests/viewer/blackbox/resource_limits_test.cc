// The built cmdtail at the limits of its process: memory for a stream's last lines, and a table of
// descriptors that its files fill.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

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

// Runs cmdtail on `files` with room for 16 descriptors.
std::unique_ptr<ChildProcess> WithFewDescriptors(const std::vector<std::string>& options,
                                                 const std::vector<std::string>& files) {
  std::string command = std::string("ulimit -n 16; exec '") + CMDTAIL_PATH + "'";
  for (const std::string& argument : options) {
    command += " " + argument;
  }
  for (const std::string& file : files) {
    command += " '" + file + "'";
  }
  return std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/sh", "-c", command});
}

struct RotationCase {
  // How many followed files are rotated at once.
  std::size_t rotated;
  int status;
};

void PrintTo(const RotationCase& testCase, std::ostream* out) { *out << testCase.rotated << " rotated"; }

class FullDescriptorTableTest : public ::testing::TestWithParam<RotationCase> {};

// With the table exactly full of followed files, one rotated file is followed on into its new one; a
// second rotated while the first's old file is still read is said to be missed until a descriptor is
// free again, and the status says so.
TEST_P(FullDescriptorTableTest, FollowsRotatedFilesOrSaysWhichAreMissed) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' runtime opens a pipe to check memory, which a full table refuses";
#endif
  const TempDirectory directory;
  std::vector<std::string> files;
  for (int i = 10; i < 40; ++i) {
    files.push_back(directory.File("f" + std::to_string(i)));
    WriteFile(files.back(), "f" + std::to_string(i) + "\n");
  }
  // As many as fit, found by a run that opens all of them.
  const auto probe = WithFewDescriptors({}, files);
  ASSERT_EQ(probe->WaitForExit(), 1);
  std::size_t refused = 0;
  for (std::size_t at = 0; (at = probe->err().find(": Too many open files\n", at)) != std::string::npos;
       ++at) {
    ++refused;
  }
  ASSERT_GT(refused, 0u);
  ASSERT_GT(files.size() - refused, GetParam().rotated);
  files.resize(files.size() - refused);

  const auto viewer = WithFewDescriptors({"-f"}, files);
  std::string expected;
  for (const std::string& file : files) {
    expected +=
        (expected.empty() ? "==> " : "\n==> ") + file + " <==\n" + file.substr(file.size() - 3) + "\n";
  }
  ASSERT_TRUE(viewer->WaitForOut(expected)) << viewer->out() << viewer->err();
  std::string err;
  for (std::size_t i = 0; i < GetParam().rotated; ++i) {
    // The next one once the one before is followed into its new file, while its old one is still read.
    ASSERT_TRUE(viewer->WaitForErrContaining(err)) << viewer->err();
    ASSERT_EQ(std::rename(files[i].c_str(), (files[i] + ".1").c_str()), 0);
    WriteFile(files[i], "new\n");
    expected += "\n==> " + files[i] + " <==\nnew\n";
    err += (i > 0 ? "cmdtail: cannot open " + files[i] + ": Too many open files\n" : "") +
           "cmdtail: " + files[i] + ": file replaced; following the new file\n";
  }
  EXPECT_TRUE(viewer->WaitForOut(expected, 15s)) << viewer->out() << viewer->err();
  viewer->SignalGroup(SIGTERM);
  EXPECT_EQ(viewer->WaitForExit(), GetParam().status);
  EXPECT_EQ(viewer->err(), err);
}

INSTANTIATE_TEST_SUITE_P(Rotations, FullDescriptorTableTest,
                         ::testing::Values(RotationCase{1, 0}, RotationCase{2, 1}),
                         [](const auto& info) { return info.param.rotated == 1 ? "One" : "TwoAtOnce"; });

}  // namespace

// cmdtail run to its end with the options, the encoding and the colour; bad command lines refused.
#include <gtest/gtest.h>

#include "cmdtail_fixture.h"

namespace {

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
                                           std::vector<std::string>{"--lines=", "LOG"},
                                           std::vector<std::string>{"--grep=foo\nbar", "LOG"}));

// A standard descriptor closed by the caller is never taken by one of cmdtail's own: reading standard
// input or writing standard output fails with the reason, status 1.
struct ClosedDescriptorCase {
  const char* name;
  std::string command;
  std::string err;
};

void PrintTo(const ClosedDescriptorCase& testCase, std::ostream* out) { *out << testCase.name; }

class ClosedDescriptorTest : public CmdtailTest,
                             public ::testing::WithParamInterface<ClosedDescriptorCase> {};

TEST_P(ClosedDescriptorTest, IsRefusedWithTheReason) {
  WriteFile(log_, "one\n");
  ChildProcess viewer(
      {"/bin/sh", "-c", "cd '" + directory_.path() + "' && exec '" CMDTAIL_PATH "' " + GetParam().command});
  EXPECT_EQ(viewer.WaitForExit(), 1);
  EXPECT_EQ(viewer.err(), "cmdtail: " + GetParam().err + ": Bad file descriptor\n");
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, ClosedDescriptorTest,
    ::testing::Values(ClosedDescriptorCase{"StandardInput", "-n 1 <&-", "cannot open standard input"},
                      ClosedDescriptorCase{"Dash", "- <&-", "cannot open standard input"},
                      ClosedDescriptorCase{"FromLineOne", "-n +1 - <&-", "cannot open standard input"},
                      ClosedDescriptorCase{"StandardOutput", "app.log >&-", "cannot write standard output"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// The settings file beside a copy of cmdtail, under its command line.
#include <gtest/gtest.h>

#include <filesystem>

#include "cmdtail_fixture.h"

namespace {

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

}  // namespace

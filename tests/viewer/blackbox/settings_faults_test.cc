// The built cmdtail refusing a settings file it cannot use, or an encoding that names nothing: one line
// on standard error, saying where the fault is, and status 2.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "child_process.h"

namespace {

struct FaultCase {
  const char* name;
  // The bytes of cmdtail.conf; a FIFO of that name when empty.
  std::string settings;
  std::vector<std::string> environment;
  std::vector<std::string> args;
  std::string err;
};

void PrintTo(const FaultCase& testCase, std::ostream* out) { *out << testCase.name; }

class SettingsFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SettingsFaultTest, IsRefusedInOneLine) {
  const TempDirectory directory;
  const std::string program = directory.File("cmdtail.exe");
  std::filesystem::copy_file(CMDTAIL_PATH, program);
  const std::string settings = directory.File("cmdtail.conf");
  if (GetParam().settings.empty()) {
    ASSERT_EQ(mkfifo(settings.c_str(), 0600), 0);
  } else {
    WriteFile(settings, GetParam().settings);
  }
  const std::string log = directory.File("app.log");
  WriteFile(log, "one\n");
  std::vector<std::string> argv{"/usr/bin/env", "LC_ALL=C.UTF-8", "CMDTAIL_ENCODING="};
  argv.insert(argv.end(), GetParam().environment.begin(), GetParam().environment.end());
  argv.push_back(program);
  argv.insert(argv.end(), GetParam().args.begin(), GetParam().args.end());
  argv.push_back(log);
  ChildProcess viewer(argv);
  EXPECT_EQ(viewer.WaitForExit(), 2);
  EXPECT_EQ(viewer.out(), "");
  EXPECT_EQ(viewer.err(), GetParam().err);
}

FaultCase Line(const char* name, std::string settings, const std::string& fault) {
  return {name, std::move(settings), {}, {}, "cmdtail: cmdtail.conf:" + fault + "\n"};
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsFaultTest,
    ::testing::Values(Line("NulByte", std::string("grep=a\0zzz\n", 11), "1: a NUL byte in the line"),
                      Line("UnknownEncoding", "lines=1\nencoding=NOPE\n", "2: unknown encoding NOPE"),
                      // "grep=요청" as Notepad's "ANSI" saves it on a Korean system, in code page 949.
                      Line("NotUtf8", "encoding=CP949\r\ngrep=\xBF\xE4\xC3\xBB\r\n",
                           "2: not UTF-8 text; save the file as UTF-8"),
                      // Notepad's "Unicode": UTF-16LE with its byte order mark.
                      Line("Utf16", std::string("\xFF\xFEg\0r\0e\0p\0=\0x\0\r\0\n\0", 18),
                           "1: UTF-16 text; save the file as UTF-8"),
                      Line("ControlShown", "lines=1\n\fgrep=x\n", "2: unknown option --^Lgrep"),
                      Line("SecondByteOrderMarkShown", "\xEF\xBB\xBFlines=1\r\n\xEF\xBB\xBFgrep=x\r\n",
                           "2: unknown option --<U+FEFF>grep"),
                      Line("BadExpression", "regex\nlines=1\ngrep=x[\n",
                           "3: invalid regular expression 'x[': missing ]: ["),
                      FaultCase{"BadExpressionGiven",
                                "lines=1\n",
                                {},
                                {"--records", "--record-start=a(b"},
                                "cmdtail: invalid regular expression 'a(b': missing ): a(b\n"},
                      FaultCase{
                          "Fifo", "", {}, {}, "cmdtail: cannot read cmdtail.conf: not a regular file\n"}),
    [](const auto& info) { return info.param.name; });

// glibc's iconv would take these for the locale's set, over the settings file's encoding.
INSTANTIATE_TEST_SUITE_P(
    EncodingsNamingNothing, SettingsFaultTest,
    ::testing::Values(
        FaultCase{"Blank", "encoding=CP949\n", {}, {"--encoding= "}, "cmdtail: unknown encoding  \n"},
        FaultCase{"Slash", "encoding=CP949\n", {}, {"--encoding=/"}, "cmdtail: unknown encoding /\n"},
        FaultCase{"BlankVariable",
                  "encoding=CP949\n",
                  {"CMDTAIL_ENCODING= "},
                  {},
                  "cmdtail: unknown encoding   (from CMDTAIL_ENCODING)\n"}),
    [](const auto& info) { return info.param.name; });

}  // namespace

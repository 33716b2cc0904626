#include "options/arguments.h"

#include <gtest/gtest.h>

namespace {

Arguments Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "cmdtail");
  return ParseArguments(static_cast<int>(args.size()), args.data());
}

std::vector<std::string> FilesOf(std::vector<const char*> args) {
  const Arguments arguments = Parse(std::move(args));
  return {arguments.files.begin(), arguments.files.end()};
}

TEST(ParseArguments, TakesTheFileAndTheDefaults) {
  const Arguments arguments = Parse({"-f", "C:\\log\\app.20240101"});
  EXPECT_EQ(arguments.error, "");
  EXPECT_EQ(FilesOf({"-f", "C:\\log\\app.20240101"}), std::vector<std::string>{"C:\\log\\app.20240101"});
  EXPECT_TRUE(arguments.follow);
  EXPECT_EQ(arguments.lineCount, 10U);
  EXPECT_FALSE(arguments.fromLine);
  EXPECT_TRUE(arguments.rollover);
  EXPECT_EQ(arguments.encoding, "");
  EXPECT_EQ(arguments.colour, ColourMode::kAuto);
  EXPECT_EQ(arguments.action, Arguments::Action::kShow);
}

// No option holds a path separator: a path that begins with one '-' is a file, as daylog names the log
// of a relative home such as "-proj".
TEST(ParseArguments, TakesAPathThatBeginsWithADashAsAFile) {
  EXPECT_EQ(FilesOf({"-f", "-proj\\log\\web.20261210", "-x/y"}),
            (std::vector<std::string>{"-proj\\log\\web.20261210", "-x/y"}));
}

TEST(ParseArguments, ReadsStandardInputWithoutAFileAndDoesNotFollowWithoutF) {
  EXPECT_EQ(FilesOf({}), std::vector<std::string>{"-"});
  EXPECT_FALSE(Parse({"log"}).follow);
  EXPECT_TRUE(Parse({"-F", "log"}).follow);
  EXPECT_EQ(FilesOf({"-n", "3", "-"}), std::vector<std::string>{"-"});
  EXPECT_EQ(FilesOf({"--", "-f"}), std::vector<std::string>{"-f"});
}

TEST(ParseArguments, TakesSeveralFilesInOrderAndTheirHeaders) {
  EXPECT_EQ(FilesOf({"a", "-f", "b", "-"}), (std::vector<std::string>{"a", "b", "-"}));
  EXPECT_EQ(Parse({"a", "b"}).headers, Arguments::Headers::kSeveralFiles);
  EXPECT_EQ(Parse({"-q", "a"}).headers, Arguments::Headers::kNever);
  EXPECT_EQ(Parse({"--silent", "a"}).headers, Arguments::Headers::kNever);
  EXPECT_EQ(Parse({"-fv", "a"}).headers, Arguments::Headers::kAlways);
  EXPECT_EQ(Parse({"-v", "--quiet", "a"}).headers, Arguments::Headers::kNever);
}

TEST(ParseArguments, TakesEveryFormOfTheLineCount) {
  for (const auto& [args, count, fromLine] :
       std::vector<std::tuple<std::vector<const char*>, std::size_t, bool>>{
           {{"-n", "25", "log"}, 25, false},
           {{"log", "-n", "0"}, 0, false},
           {{"-n7", "log"}, 7, false},
           {{"-fn", "8", "log"}, 8, false},
           {{"--lines=9", "log"}, 9, false},
           {{"--lines", "11", "log"}, 11, false},
           {{"-n", "+3", "log"}, 3, true},
           {{"--lines=+1", "log"}, 1, true}}) {
    const Arguments arguments = Parse(args);
    EXPECT_EQ(arguments.error, "") << args[0];
    EXPECT_EQ(arguments.lineCount, count) << args[0];
    EXPECT_EQ(arguments.fromLine, fromLine) << args[0];
  }
}

TEST(ParseArguments, TakesTheOutputOptions) {
  const Arguments arguments =
      Parse({"--no-rollover", "--encoding", "CP949", "--color=never", "--raw", "log"});
  EXPECT_EQ(arguments.error, "");
  EXPECT_FALSE(arguments.rollover);
  EXPECT_TRUE(arguments.raw);
  EXPECT_EQ(arguments.encoding, "CP949");
  EXPECT_EQ(arguments.colour, ColourMode::kNever);
  EXPECT_EQ(Parse({"--encoding=EUC-KR"}).encoding, "EUC-KR");
  EXPECT_EQ(Parse({"--color", "always"}).colour, ColourMode::kAlways);
}

TEST(ParseArguments, TakesTheFilters) {
  const Arguments arguments =
      Parse({"--grep=a b", "--grep", "c", "-i", "--exclude=d", "--highlight=e", "--alert", "f", "log"});
  EXPECT_EQ(arguments.greps.texts, (std::vector<std::string>{"a b", "c"}));
  EXPECT_EQ(arguments.excludes.texts, std::vector<std::string>{"d"});
  EXPECT_EQ(arguments.highlights.texts, std::vector<std::string>{"e"});
  EXPECT_EQ(arguments.alerts.texts, std::vector<std::string>{"f"});
  EXPECT_TRUE(arguments.ignoreCase);
  EXPECT_FALSE(arguments.greps.fromSettings);
}

// The settings come first: what the command line gives takes their place.
TEST(ParseArguments, TakesTheSettingsUnderTheCommandLine) {
  const std::vector<const char*> commandLine{"cmdtail", "--highlight=b", "--color=never", "log"};
  const Arguments arguments = ParseArguments(static_cast<int>(commandLine.size()), commandLine.data(),
                                             {{1, "encoding=CP949"},
                                              {2, "highlight=a"},
                                              {3, "color=always"},
                                              {5, "grep=x"},
                                              {6, "follow"},
                                              {7, "alert=ERROR"}});
  EXPECT_EQ(arguments.error, "");
  EXPECT_EQ(arguments.settingsEncoding, "CP949");
  EXPECT_EQ(arguments.encoding, "");
  EXPECT_EQ(arguments.highlights.texts, std::vector<std::string>{"b"});
  EXPECT_EQ(arguments.greps.texts, std::vector<std::string>{"x"});
  EXPECT_TRUE(arguments.greps.fromSettings);
  EXPECT_EQ(arguments.alerts.texts, std::vector<std::string>{"ERROR"});
  EXPECT_EQ(arguments.colour, ColourMode::kNever);
  EXPECT_TRUE(arguments.follow);
}

TEST(ParseArguments, RefusesASettingsLineWithItsNumber) {
  const std::vector<const char*> commandLine{"cmdtail", "value", "log"};
  for (const char* line : {"nope", "help", "no-config", "lines", "raw=1", "f", "--raw"}) {
    const Arguments arguments =
        ParseArguments(static_cast<int>(commandLine.size()), commandLine.data(), {{1, "raw"}, {7, line}});
    EXPECT_EQ(arguments.errorLine, 7u) << line;
    EXPECT_NE(arguments.error, "") << line;
  }
  EXPECT_EQ(ParseArguments(static_cast<int>(commandLine.size()), commandLine.data(), {{2, "-f"}}).error,
            "expected a long option without its --, not -f");
}

TEST(ParseArguments, StopsAtHelpOrVersion) {
  EXPECT_EQ(Parse({"log", "--help", "-x"}).action, Arguments::Action::kHelp);
  EXPECT_EQ(Parse({"--version", "a", "b"}).action, Arguments::Action::kVersion);
}

TEST(ParseArguments, RefusesWhatItCannotRead) {
  for (const auto& args : std::vector<std::vector<const char*>>{{"-n"},
                                                                {"-n", "", "log"},
                                                                {"-n", "+", "log"},
                                                                {"-n", "-5", "log"},
                                                                {"-n", "5x", "log"},
                                                                {"-n", "99999999999999999999999", "log"},
                                                                {"-x", "log"},
                                                                {"-fx", "log"},
                                                                {"--follow=yes", "log"},
                                                                {"--grep=", "log"},
                                                                {"--lines"},
                                                                {"--encoding"},
                                                                {"--encoding=", "log"},
                                                                {"--color", "", "log"},
                                                                {"--color=sometimes", "log"},
                                                                {"--help=yes"},
                                                                {"--raw=yes", "log"},
                                                                {"-x", "--help"}}) {
    const Arguments arguments = Parse(args);
    EXPECT_NE(arguments.error, "") << args[0];
    EXPECT_EQ(arguments.action, Arguments::Action::kShow) << args[0];
  }
}

}  // namespace

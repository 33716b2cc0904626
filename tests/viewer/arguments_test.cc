#include "arguments.h"

#include <gtest/gtest.h>

namespace {

Arguments Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "cmdtail");
  return ParseArguments(static_cast<int>(args.size()), args.data());
}

TEST(ParseArguments, TakesTheFileAndTheDefaults) {
  const Arguments arguments = Parse({"-f", "C:\\log\\app.20240101"});
  EXPECT_EQ(arguments.error, "");
  EXPECT_STREQ(arguments.file, "C:\\log\\app.20240101");
  EXPECT_TRUE(arguments.follow);
  EXPECT_EQ(arguments.lineCount, kDefaultLineCount);
  EXPECT_FALSE(arguments.fromLine);
  EXPECT_TRUE(arguments.rollover);
  EXPECT_EQ(arguments.encoding, nullptr);
  EXPECT_EQ(arguments.colour, ColourMode::kAuto);
  EXPECT_EQ(arguments.action, Arguments::Action::kShow);
}

TEST(ParseArguments, ReadsStandardInputWithoutAFileAndDoesNotFollowWithoutF) {
  EXPECT_STREQ(Parse({}).file, "-");
  EXPECT_FALSE(Parse({"log"}).follow);
  EXPECT_TRUE(Parse({"-F", "log"}).follow);
  EXPECT_STREQ(Parse({"-n", "3", "-"}).file, "-");
  EXPECT_STREQ(Parse({"--", "-f"}).file, "-f");
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
  const Arguments arguments = Parse({"--no-rollover", "--encoding", "CP949", "--color=never", "log"});
  EXPECT_EQ(arguments.error, "");
  EXPECT_FALSE(arguments.rollover);
  EXPECT_STREQ(arguments.encoding, "CP949");
  EXPECT_EQ(arguments.colour, ColourMode::kNever);
  EXPECT_STREQ(Parse({"--encoding=EUC-KR"}).encoding, "EUC-KR");
  EXPECT_EQ(Parse({"--color", "always"}).colour, ColourMode::kAlways);
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
                                                                {"--follow", "log"},
                                                                {"--lines"},
                                                                {"--encoding"},
                                                                {"--encoding=", "log"},
                                                                {"--color", "", "log"},
                                                                {"--color=sometimes", "log"},
                                                                {"--help=yes"},
                                                                {"a", "b"},
                                                                {"-x", "--help"}}) {
    const Arguments arguments = Parse(args);
    EXPECT_NE(arguments.error, "") << args[0];
    EXPECT_EQ(arguments.action, Arguments::Action::kShow) << args[0];
  }
}

}  // namespace

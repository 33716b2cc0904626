#include "arguments.h"

#include <gtest/gtest.h>

namespace {

Arguments Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "cmdtail");
  return ParseArguments(static_cast<int>(args.size()), args.data());
}

TEST(ParseArguments, TakesTheFileAndTheDefaultCount) {
  const Arguments arguments = Parse({"-f", "C:\\log\\app.20240101"});
  EXPECT_EQ(arguments.error, "");
  EXPECT_STREQ(arguments.file, "C:\\log\\app.20240101");
  EXPECT_EQ(arguments.lineCount, kDefaultLineCount);
}

TEST(ParseArguments, TakesTheCountBeforeOrAfterTheFile) {
  EXPECT_EQ(Parse({"-n", "25", "-f", "log"}).lineCount, 25u);
  EXPECT_EQ(Parse({"-f", "log", "-n", "0"}).lineCount, 0u);
  EXPECT_STREQ(Parse({"-f", "-n"}).file, "-n");
}

TEST(ParseArguments, RefusesWhatItCannotRead) {
  for (const auto& args :
       std::vector<std::vector<const char*>>{{},
                                             {"log"},
                                             {"-f"},
                                             {"-n", "5"},
                                             {"-n", "", "-f", "log"},
                                             {"-n", "+5", "-f", "log"},
                                             {"-n", "5x", "-f", "log"},
                                             {"-n", "99999999999999999999999", "-f", "log"},
                                             {"-f", "a", "-f", "b"},
                                             {"--follow", "log"},
                                             {"-f", "log", "extra"}}) {
    EXPECT_NE(Parse(args).error, "") << (args.empty() ? "(none)" : args[0]);
  }
}

}  // namespace

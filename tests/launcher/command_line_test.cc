#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<char> storage(line.size() + 1);
  std::vector<char*> args(line.size() / 2 + 2);
  const int count = SplitCommandLine(line.c_str(), storage, args);
  EXPECT_GE(count, 0) << line;
  EXPECT_EQ(args[count < 0 ? 0 : count], nullptr);
  return {args.begin(), args.begin() + (count < 0 ? 0 : count)};
}

std::string Build(const std::string& viewer, const std::string& log) {
  char line[1024];
  EXPECT_TRUE(BuildViewerCommandLine(line, viewer.c_str(), log.c_str()));
  return line;
}

TEST(CommandLine, SplitFollowsTheCRuntimeRules) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(Split(R"("a b c" d e)"), (Args{"a b c", "d", "e"}));
  EXPECT_EQ(Split(R"("ab\"c" "\\" d)"), (Args{"ab\"c", "\\", "d"}));
  EXPECT_EQ(Split(R"(a\\\b d"e f"g h)"), (Args{"a\\\\\\b", "de fg", "h"}));
  EXPECT_EQ(Split(R"(a\\\"b c d)"), (Args{"a\\\"b", "c", "d"}));
  EXPECT_EQ(Split(R"(a\\\\"b c" d e)"), (Args{"a\\\\b c", "d", "e"}));
  EXPECT_EQ(Split(" \t x\t\ty  "), (Args{"x", "y"}));
  EXPECT_EQ(Split(R"("" "")"), (Args{"", ""}));
  EXPECT_EQ(Split(R"("unterminated \)"), (Args{"unterminated \\"}));
  EXPECT_EQ(Split(" \t "), Args{});
}

TEST(CommandLine, OrdinaryPathsStandAsTheyAre) {
  EXPECT_EQ(Build(R"(C:\proj\bin\cmdtail.exe)", R"(C:\proj\log\web.20261208)"),
            R"(C:\proj\bin\cmdtail.exe -f C:\proj\log\web.20261208)");
  EXPECT_EQ(Build(R"(C:\proj\\bin\cmdtail.exe)", R"(\\server\share\log\;$(x).1)"),
            R"(C:\proj\\bin\cmdtail.exe -f \\server\share\log\;$(x).1)");
}

TEST(CommandLine, QuotesAndEscapesOnlyWhatNeedsIt) {
  EXPECT_EQ(Build(R"(C:\Program Files\p\bin\cmdtail.exe)", R"(C:\p\log\web.1)"),
            R"("C:\Program Files\p\bin\cmdtail.exe" -f C:\p\log\web.1)");
  EXPECT_EQ(Build("v", R"(say "hi"\ and\\)"), R"(v -f "say \"hi\"\ and\\\\")");
  EXPECT_EQ(Build("", "l"), R"("" -f l)");
}

TEST(CommandLine, SplittingTheBuiltLineGivesBackViewerFlagAndLog) {
  const std::vector<std::string> paths = {R"(C:\proj\bin\cmdtail.exe)",
                                          R"(C:\Program Files\proj\bin\cmdtail.exe)",
                                          "tab\there",
                                          "two  blanks",
                                          R"(say "hi")",
                                          R"(ends in a quote")",
                                          R"(\"leading)",
                                          R"(run\\\"of\\\\"slashes)",
                                          R"(trailing\)",
                                          R"(trailing with blank\\)",
                                          R"(\\server\share\a b\\)",
                                          "",
                                          " ",
                                          "\"",
                                          "\\",
                                          R"(;touch x $(y) `z`|&)",
                                          "\xC0\xD0\xB1\xE2 \xB1\xC7"};
  for (const std::string& viewer : paths) {
    for (const std::string& log : paths) {
      EXPECT_EQ(Split(Build(viewer, log)), (std::vector<std::string>{viewer, "-f", log}))
          << "viewer [" << viewer << "] log [" << log << "]";
    }
  }
}

TEST(CommandLine, BuildRefusesALineThatDoesNotFitAndLeavesNothingBehind) {
  char line[16];
  EXPECT_TRUE(BuildViewerCommandLine(line, "vvvvv", "lllll"));
  EXPECT_STREQ(line, "vvvvv -f lllll");
  EXPECT_TRUE(BuildViewerCommandLine(line, "vvvvv", "llllll"));
  EXPECT_STREQ(line, "vvvvv -f llllll");
  EXPECT_FALSE(BuildViewerCommandLine(line, "vvvvv", "lllllll"));
  EXPECT_STREQ(line, "");
  // Quoting counts: three characters of the path become five.
  EXPECT_FALSE(BuildViewerCommandLine(line, "v v", "l l l l"));
  EXPECT_STREQ(line, "");
}

TEST(CommandLine, SplitRefusesStorageOrArgumentsTooSmall) {
  std::vector<char> storage(4);
  std::vector<char*> args(3);
  EXPECT_EQ(SplitCommandLine("a b", storage, args), 2);
  EXPECT_EQ(SplitCommandLine("a bc", storage, args), -1);
  EXPECT_EQ(SplitCommandLine("a b c", storage, args), -1);
  EXPECT_EQ(SplitCommandLine("x", storage, std::span<char*>()), -1);
  EXPECT_EQ(SplitCommandLine("", storage, args), 0);
  EXPECT_EQ(args[0], nullptr);
}

}  // namespace

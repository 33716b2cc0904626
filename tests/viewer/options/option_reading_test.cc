#include <gtest/gtest.h>

#include "options/arguments.h"

namespace {

Arguments Parse(std::vector<const char*> args, const std::vector<SettingsLine>& settings = {}) {
  args.insert(args.begin(), "cmdtail");
  return ParseArguments(static_cast<int>(args.size()), args.data(), settings);
}

class LineFeedValueTest : public ::testing::TestWithParam<const char*> {};

// A text holding a line feed would match across two lines: it is refused from either place, the
// settings line named.
TEST_P(LineFeedValueTest, IsRefused) {
  const std::string option = GetParam();
  const std::string refusal = "option --" + option + " needs a value without a line feed";
  const Arguments given = Parse({("--" + option + "=foo\nbar").c_str(), "log"});
  EXPECT_EQ(given.error, refusal);
  EXPECT_EQ(given.errorLine, 0u);
  const Arguments set = Parse({"log"}, {{1, "follow"}, {4, option + "=foo\nbar"}});
  EXPECT_EQ(set.error, refusal);
  EXPECT_EQ(set.errorLine, 4u);
}

INSTANTIATE_TEST_SUITE_P(Texts, LineFeedValueTest, ::testing::Values("grep", "exclude", "highlight"));

struct OppositeCase {
  const char* name;
  // The settings file's line, then the command line's options before the file.
  const char* setting;
  std::vector<const char*> options;
  // What the run does then.
  bool (*holds)(const Arguments& arguments);
};

void PrintTo(const OppositeCase& testCase, std::ostream* out) { *out << testCase.name; }

class SwitchOppositeTest : public ::testing::TestWithParam<OppositeCase> {};

// A switch set in the settings file is undone for one run by its opposite; the last one given wins.
TEST_P(SwitchOppositeTest, TakesTheLastOneGiven) {
  const Arguments arguments = Parse(GetParam().options, {{1, GetParam().setting}});
  EXPECT_EQ(arguments.error, "");
  EXPECT_TRUE(GetParam().holds(arguments));
}

using Headers = Arguments::Headers;

INSTANTIATE_TEST_SUITE_P(
    Switches, SwitchOppositeTest,
    ::testing::Values(
        OppositeCase{
            "NoFollow", "follow", {"--no-follow", "log"}, [](const Arguments& a) { return !a.follow; }},
        OppositeCase{"FollowAfterNoFollow",
                     "follow",
                     {"--no-follow", "-f", "log"},
                     [](const Arguments& a) { return a.follow; }},
        OppositeCase{"NoRaw", "raw", {"--no-raw", "log"}, [](const Arguments& a) { return !a.raw; }},
        OppositeCase{"NoIgnoreCase",
                     "ignore-case",
                     {"--no-ignore-case", "log"},
                     [](const Arguments& a) { return !a.ignoreCase; }},
        OppositeCase{
            "Rollover", "no-rollover", {"--rollover", "log"}, [](const Arguments& a) { return a.rollover; }},
        OppositeCase{"NoQuiet",
                     "quiet",
                     {"--no-quiet", "log"},
                     [](const Arguments& a) { return a.headers == Headers::kSeveralFiles; }},
        OppositeCase{"NoVerbose",
                     "verbose",
                     {"--no-verbose", "log"},
                     [](const Arguments& a) { return a.headers == Headers::kSeveralFiles; }},
        OppositeCase{"NoQuietLeavesVerbose",
                     "verbose",
                     {"--no-quiet", "log"},
                     [](const Arguments& a) { return a.headers == Headers::kAlways; }}),
    [](const auto& info) { return info.param.name; });

}  // namespace

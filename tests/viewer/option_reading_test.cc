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

}  // namespace

// cmdtail following the day's log into the next day's across a real local midnight.
#include <gtest/gtest.h>

#include <chrono>

#include "cmdtail_fixture.h"
#include "midnight_case.h"

namespace {

TEST_F(CmdtailTest, SwitchesAtMidnightToTheNextDaysLogMadeBeforeIt) {
  std::string newLog;
  MidnightRun run(Cmdtail(), {}, "before\n", [&](const TempDirectory& directory, const MidnightZone& zone) {
    WriteFile(directory.File("web." + DateStamp(zone.newDay - std::chrono::days{1})), "before\n");
    newLog = directory.File("web." + DateStamp(zone.newDay));
    WriteFile(newLog, "new day\n");
    return directory.File("web." + DateStamp(zone.newDay - std::chrono::days{1}));
  });
  ASSERT_TRUE(run.Started());
  run.PassMidnight();
  EXPECT_TRUE(run.viewer().WaitForOut("before\nnew day\n", 1s)) << run.viewer().out();
}

struct StayCase {
  const char* name;
  std::vector<std::string> options;
  // How many days before the day that ends at midnight the followed log is dated.
  int daysBack;
};

void PrintTo(const StayCase& testCase, std::ostream* out) { *out << testCase.name; }

class StaysOnItsLogTest : public ::testing::TestWithParam<StayCase> {};

// Every later day's log exists from the start, so a wrong switch would show at once.
TEST_P(StaysOnItsLogTest, AcrossMidnight) {
  std::string followed;
  MidnightRun run(Cmdtail(), GetParam().options, "followed\n",
                  [&](const TempDirectory& directory, const MidnightZone& zone) {
                    const auto followedDay = zone.newDay - std::chrono::days{1 + GetParam().daysBack};
                    for (auto day = followedDay + std::chrono::days{1}; day <= zone.newDay;
                         day += std::chrono::days{1}) {
                      WriteFile(directory.File("web." + DateStamp(day)), "another day\n");
                    }
                    followed = directory.File("web." + DateStamp(followedDay));
                    WriteFile(followed, "followed\n");
                    return followed;
                  });
  ASSERT_TRUE(run.Started());
  run.PassMidnight();
  AppendFile(followed, "after midnight\n");
  EXPECT_TRUE(run.viewer().WaitForOut("followed\nafter midnight\n")) << run.viewer().out();
  // A wrong switch would come at a wake-up after midnight, at the latest at the line's, before the marker.
  EXPECT_TRUE(ShowsNothingMoreThan(run.viewer(), followed, "followed\nafter midnight\n"))
      << run.viewer().out();
  EXPECT_EQ(run.viewer().err(), "");
}

INSTANTIATE_TEST_SUITE_P(Logs, StaysOnItsLogTest,
                         ::testing::Values(StayCase{"TodaysWithNoRollover", {"--no-rollover"}, 0},
                                           StayCase{"PastDays", {}, 1}),
                         [](const auto& info) { return info.param.name; });

}  // namespace

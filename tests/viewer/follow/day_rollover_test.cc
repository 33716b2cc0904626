#include "follow/day_rollover.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "midnight_zone.h"
#include "time_zone.h"

namespace {

namespace chrono = std::chrono;
using chrono::December;
using chrono::January;

TEST(DateOfLogName, TakesOnlyADotAndEightDigitsOfAValidDate) {
  EXPECT_EQ(DateOfLogName("C:\\log\\web.20261208"), chrono::year{2026} / December / 8);
  EXPECT_EQ(DateOfLogName("web.20240229"), chrono::year{2024} / chrono::February / 29);
  EXPECT_EQ(DateOfLogName(".20261208"), chrono::year{2026} / December / 8);
  for (const char* name : {"web.20260229", "web.20261332", "web.20261200", "web.2026120a", "web.+2026120",
                           "web20261208", "web.020261208", "20261208", "web.20261208.1", ""}) {
    EXPECT_EQ(DateOfLogName(name), std::nullopt) << name;
  }
}

class DayRolloverTest : public ::testing::Test {
 protected:
  std::optional<DayLog> FindNext(chrono::year_month_day today) {
    tested_.clear();
    return rollover_->FindNext(today, [this](const std::string& path) {
      tested_.push_back(path);
      return existing_.count(path) != 0;
    });
  }

  std::optional<DayRollover> rollover_ =
      DayRollover::ForLog("log\\web.20261230", "log/web.20261230", chrono::year{2026} / December / 30);
  std::set<std::string> existing_;
  std::vector<std::string> tested_;
};

// Stopped across several midnights, it goes through every later day that has a log, in order.
TEST_F(DayRolloverTest, TakesEachLaterDaysLogInOrderUpToTodayAcrossTheYearsEnd) {
  ASSERT_TRUE(rollover_);
  existing_ = {"log/web.20261229", "log/web.20261231", "log/web.20270101", "log/web.20270103"};
  EXPECT_EQ(FindNext(chrono::year{2026} / December / 30), std::nullopt);
  EXPECT_EQ(tested_, std::vector<std::string>{});
  std::vector<std::string> followed;
  while (const std::optional<DayLog> next = FindNext(chrono::year{2027} / January / 2)) {
    followed.push_back(next->name + " " + next->path);
    rollover_->Follow(*next);
  }
  EXPECT_EQ(followed, (std::vector<std::string>{"log\\web.20261231 log/web.20261231",
                                                "log\\web.20270101 log/web.20270101"}));
  EXPECT_EQ(tested_, std::vector<std::string>{"log/web.20270102"});
}

TEST_F(DayRolloverTest, TestsAMissingPastDaysLogOnlyOnce) {
  ASSERT_TRUE(rollover_);
  EXPECT_EQ(FindNext(chrono::year{2027} / January / 1), std::nullopt);
  EXPECT_EQ(tested_, (std::vector<std::string>{"log/web.20261231", "log/web.20270101"}));
  EXPECT_EQ(FindNext(chrono::year{2027} / January / 1), std::nullopt);
  EXPECT_EQ(tested_, (std::vector<std::string>{"log/web.20270101"}));
  EXPECT_EQ(FindNext(chrono::year{2027} / January / 2), std::nullopt);
  EXPECT_EQ(tested_, (std::vector<std::string>{"log/web.20270101", "log/web.20270102"}));
}

TEST_F(DayRolloverTest, TestsAgainTheDaysAClockSetAheadPassedOver) {
  ASSERT_TRUE(rollover_);
  EXPECT_EQ(FindNext(chrono::year{2027} / January / 1), std::nullopt);
  EXPECT_EQ(FindNext(chrono::year{2026} / December / 30), std::nullopt);
  existing_ = {"log/web.20261231"};
  const std::optional<DayLog> next = FindNext(chrono::year{2026} / December / 31);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->path, "log/web.20261231");
}

// The date is the path's; the name, which may go on after it (Windows drops a trailing dot), keeps the
// rest.
TEST(DayRollover, ReplacesTheNamesDateWhereItStands) {
  std::optional<DayRollover> rollover =
      DayRollover::ForLog("web.20261230.", "C:\\log\\web.20261230", chrono::year{2026} / December / 30);
  ASSERT_TRUE(rollover);
  const std::optional<DayLog> next =
      rollover->FindNext(chrono::year{2026} / December / 31, [](const std::string&) { return true; });
  ASSERT_TRUE(next);
  EXPECT_EQ(next->name + " " + next->path, "web.20261231. C:\\log\\web.20261231");
}

TEST(NextLocalMidnight, IsTheZonesNextMidnight) {
  using namespace std::chrono_literals;
  for (const chrono::seconds ahead : {30s, 90s}) {
    const MidnightZone zone = ZoneWithMidnightIn(ahead);
    const TimeZone local(zone.tz.c_str());
    EXPECT_EQ(NextLocalMidnight(), chrono::floor<chrono::seconds>(zone.midnight)) << zone.tz;
  }
}

}  // namespace

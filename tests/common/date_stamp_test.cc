#include "common/date_stamp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

#include "time_zone.h"

namespace {

std::time_t Utc(int year, int month, int day, int hour, int minute, int second) {
  std::tm utc{};
  utc.tm_year = year - 1900;
  utc.tm_mon = month - 1;
  utc.tm_mday = day;
  utc.tm_hour = hour;
  utc.tm_min = minute;
  utc.tm_sec = second;
  return timegm(&utc);
}

// The stamp of a moment, reached by going back from now. The moments chosen are at least half a minute
// from any day's edge, so the clock moving on during the call cannot change the answer.
std::string StampOf(std::time_t moment) {
  char stamp[kDateStampSize];
  EXPECT_EQ(MakeDateStamp(stamp, std::time(nullptr) - moment), 0);
  return stamp;
}

TEST(MakeDateStamp, FollowsTheLocalDateNotTheUtcOne) {
  // Half a minute after midnight in Seoul (UTC+9) is still the afternoon before in UTC.
  const std::time_t justAfterSeoulMidnight = Utc(2026, 2, 28, 15, 0, 30);
  {
    TimeZone seoul("Asia/Seoul");
    EXPECT_EQ(StampOf(justAfterSeoulMidnight), "20260301");
  }
  {
    TimeZone utc("UTC");
    EXPECT_EQ(StampOf(justAfterSeoulMidnight), "20260228");
  }
}

TEST(MakeDateStamp, NamesALeapDayAndMomentsAheadOfNow) {
  TimeZone utc("UTC");
  EXPECT_EQ(StampOf(Utc(2024, 2, 29, 0, 0, 30)), "20240229");
  EXPECT_EQ(StampOf(Utc(2028, 2, 29, 23, 59, 0)), "20280229");
}

TEST(MakeDateStamp, ZeroIsToday) {
  TimeZone utc("UTC");
  const std::time_t now = std::time(nullptr);
  char stamp[kDateStampSize];
  ASSERT_EQ(MakeDateStamp(stamp, 0), 0);
  char expected[kDateStampSize];
  std::strftime(expected, sizeof expected, "%Y%m%d", std::gmtime(&now));
  // Unless the day ended between the two readings of the clock.
  if (std::string(stamp) != expected) {
    EXPECT_NE(std::time(nullptr) / 86400, now / 86400);
  }
}

TEST(MakeDateStamp, WidensTheYearAndRefusesAStampThatDoesNotFit) {
  TimeZone utc("UTC");
  const std::time_t yearTenThousand = Utc(10000, 1, 1, 12, 0, 0);
  EXPECT_EQ(StampOf(yearTenThousand), "100000101");

  char justEnough[9] = "xxxxxxxx";
  EXPECT_EQ(MakeDateStamp(justEnough, std::time(nullptr) - Utc(9999, 12, 31, 12, 0, 0)), 0);
  EXPECT_STREQ(justEnough, "99991231");

  char tooSmall[9] = "xxxxxxxx";
  EXPECT_EQ(MakeDateStamp(tooSmall, std::time(nullptr) - yearTenThousand), -1);
  EXPECT_STREQ(tooSmall, "");
}

TEST(MakeDateStamp, FailsWhenTheMomentHasNoLocalDate) {
  TimeZone utc("UTC");
  // Far beyond any year a broken-down time can hold, ahead and back; and past the smallest calendar
  // time, where going back from now would overflow.
  for (const std::time_t secondsBack :
       {std::numeric_limits<std::time_t>::min() / 2, std::numeric_limits<std::time_t>::max(),
        std::numeric_limits<std::time_t>::min()}) {
    char stamp[kDateStampSize] = "unchanged";
    EXPECT_EQ(MakeDateStamp(stamp, secondsBack), -1) << secondsBack;
    EXPECT_STREQ(stamp, "");
  }
}

}  // namespace

#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// A log of one day, named PREFIX.YYYYMMDD.
struct DayLog {
  std::string name;  // as the user gave it, for messages
  std::string path;  // as the system reads it
  std::chrono::year_month_day date;
};

// The date a name ends in: '.' and eight digits forming a valid date YYYYMMDD.
std::optional<std::chrono::year_month_day> DateOfLogName(std::string_view name);

// Today's local date, taken exactly as daylog takes it; empty when the clock has no local date.
std::optional<std::chrono::year_month_day> LocalToday();

// The next local midnight on the system's clock; empty when the clock has no local date.
std::optional<std::chrono::system_clock::time_point> NextLocalMidnight();

// Finds the log that takes over from the followed day's log once its day has passed: the same name with
// the earliest later date, up to today, whose file exists. Going from each such log to the next, no day
// that has a log is passed over, even when several midnights went by at once (a suspended machine).
class DayRollover {
 public:
  using Exists = std::function<bool(const std::string& path)>;

  // Rolls only a log named for today: a log of another day is followed as it is. `path` is `name` as
  // the system reads it, which the date is taken from.
  static std::optional<DayRollover> ForLog(const std::string& name, const std::string& path,
                                           std::chrono::year_month_day today);

  // The log to switch to, if one exists yet. A date found missing is not tested again once its day is
  // over, so each call tests only today's name, and yesterday's just after midnight; a clock set back
  // makes the days it had passed over untested again.
  std::optional<DayLog> FindNext(std::chrono::year_month_day today, const Exists& exists);
  // Makes `next` the followed log.
  void Follow(const DayLog& next);

 private:
  DayRollover(DayLog followed, std::size_t afterNamesDate);
  [[nodiscard]] DayLog Named(std::chrono::year_month_day date) const;
  [[nodiscard]] std::chrono::sys_days DayAfterFollowed() const;

  DayLog followed_;
  // The characters after the date in the followed name, which the system's reading of it drops.
  std::size_t afterNamesDate_;
  // Every date after the followed one and before this one was found without a log once its day was over.
  std::chrono::sys_days untested_;
};

#include "follow/day_rollover.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <utility>

#include "common/bounded_text.h"
#include "common/date_stamp.h"
#include "common/local_time.h"

namespace chrono = std::chrono;

namespace {

constexpr std::size_t kStampLength = 8;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

template <typename Number>
Number ReadNumber(std::string_view digits) {
  Number value{};
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

// A valid date written as YYYYMMDD.
std::optional<chrono::year_month_day> ParseStamp(std::string_view stamp) {
  if (stamp.size() != kStampLength || !std::all_of(stamp.begin(), stamp.end(), IsDigit)) {
    return std::nullopt;
  }
  const chrono::year_month_day date{chrono::year{ReadNumber<int>(stamp.substr(0, 4))},
                                    chrono::month{ReadNumber<unsigned>(stamp.substr(4, 2))},
                                    chrono::day{ReadNumber<unsigned>(stamp.substr(6, 2))}};
  return date.ok() ? std::optional{date} : std::nullopt;
}

// The name with the date stamp that ends `after` characters before its end replaced by `date`'s.
std::string WithDate(const std::string& name, std::size_t after, chrono::year_month_day date) {
  char stamp[kDateStampSize];
  FormatBounded(stamp, "%04d%02u%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()));
  std::string named = name;
  return named.replace(name.size() - after - kStampLength, kStampLength, stamp);
}

}  // namespace

std::optional<chrono::year_month_day> DateOfLogName(std::string_view name) {
  if (name.size() <= kStampLength || name[name.size() - kStampLength - 1] != '.') {
    return std::nullopt;
  }
  return ParseStamp(name.substr(name.size() - kStampLength));
}

std::optional<chrono::year_month_day> LocalToday() {
  char stamp[kDateStampSize];
  if (MakeDateStamp(stamp, 0) != 0) {
    return std::nullopt;
  }
  return ParseStamp(stamp);
}

std::optional<chrono::system_clock::time_point> NextLocalMidnight() {
  const auto now = chrono::system_clock::now();
  std::tm local{};
  if (!ToLocalTime(chrono::system_clock::to_time_t(now), local)) {
    return std::nullopt;
  }
  const chrono::year_month_day tomorrow{
      chrono::sys_days{chrono::year{local.tm_year + 1900} /
                       chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
                       chrono::day{static_cast<unsigned>(local.tm_mday)}} +
      chrono::days{1}};
  std::tm midnight{};
  midnight.tm_year = static_cast<int>(tomorrow.year()) - 1900;
  midnight.tm_mon = static_cast<int>(static_cast<unsigned>(tomorrow.month())) - 1;
  midnight.tm_mday = static_cast<int>(static_cast<unsigned>(tomorrow.day()));
  midnight.tm_isdst = -1;
  const std::time_t at = std::mktime(&midnight);
  if (at == static_cast<std::time_t>(-1)) {
    return std::nullopt;
  }
  return chrono::system_clock::from_time_t(at);
}

// The date is the path's, which is the name as the system reads it. The name may go on after the date
// where the system's reading drops characters (on Windows, the dots and blanks that end a name): its
// date is replaced where it stands.
std::optional<DayRollover> DayRollover::ForLog(const std::string& name, const std::string& path,
                                               chrono::year_month_day today) {
  const std::optional<chrono::year_month_day> date = DateOfLogName(path);
  const std::size_t stamp =
      date ? name.rfind(path.substr(path.size() - kStampLength - 1)) : std::string::npos;
  if (!date || *date != today || stamp == std::string::npos) {
    return std::nullopt;
  }
  return DayRollover(DayLog{name, path, *date}, name.size() - stamp - kStampLength - 1);
}

DayRollover::DayRollover(DayLog followed, std::size_t afterNamesDate)
    : followed_(std::move(followed)), afterNamesDate_(afterNamesDate), untested_(DayAfterFollowed()) {}

std::optional<DayLog> DayRollover::FindNext(chrono::year_month_day today, const Exists& exists) {
  const chrono::sys_days first = DayAfterFollowed();
  const chrono::sys_days last{today};
  // A clock set back after running ahead: the days it passed over have not been yet.
  untested_ = std::clamp(untested_, first, std::max(first, last));
  for (chrono::sys_days date = untested_; date <= last; date += chrono::days{1}) {
    DayLog candidate = Named(date);
    if (exists(candidate.path)) {
      return candidate;
    }
    if (date < last) {
      untested_ = date + chrono::days{1};
    }
  }
  return std::nullopt;
}

void DayRollover::Follow(const DayLog& next) {
  followed_ = next;
  untested_ = DayAfterFollowed();
}

chrono::sys_days DayRollover::DayAfterFollowed() const {
  return chrono::sys_days{followed_.date} + chrono::days{1};
}

DayLog DayRollover::Named(chrono::year_month_day date) const {
  return DayLog{WithDate(followed_.name, afterNamesDate_, date), WithDate(followed_.path, 0, date), date};
}

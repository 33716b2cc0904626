#include "midnight_zone.h"

#include <cstdio>

namespace chrono = std::chrono;

MidnightZone ZoneWithMidnightIn(chrono::seconds ahead) {
  const auto midnight = chrono::ceil<chrono::seconds>(chrono::system_clock::now()) + ahead;
  const chrono::seconds intoUtcDay = midnight - chrono::floor<chrono::days>(midnight);
  // Local time is UTC plus this offset, which puts `midnight` at the start of a local day.
  const chrono::seconds east = (chrono::days{1} - intoUtcDay) % chrono::days{1};
  const chrono::hh_mm_ss offset{east};
  char tz[32];
  std::snprintf(tz, sizeof tz, "LMT-%02d:%02d:%02d", static_cast<int>(offset.hours().count()),
                static_cast<int>(offset.minutes().count()), static_cast<int>(offset.seconds().count()));
  return {tz, midnight, chrono::floor<chrono::days>(midnight + east)};
}

std::string DateStamp(chrono::sys_days day) {
  const chrono::year_month_day date{day};
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%04d%02u%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return stamp;
}

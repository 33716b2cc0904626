#pragma once

#include <chrono>
#include <string>

// A time zone whose local midnight comes a few seconds from now, so that a day's end can be crossed
// without touching the clock.
struct MidnightZone {
  // "LMT-HH:MM:SS": a zone east of UTC, read alike by glibc and the Windows C runtime (both take
  // offsets up to 24:59:59).
  std::string tz;
  std::chrono::system_clock::time_point midnight;
  // The local date that begins at midnight.
  std::chrono::sys_days newDay;
};

MidnightZone ZoneWithMidnightIn(std::chrono::seconds ahead);

// The date as YYYYMMDD.
std::string DateStamp(std::chrono::sys_days day);

#include "common/date_stamp.h"

#include <chrono>

#include "common/bounded_text.h"
#include "common/local_time.h"

namespace {

int Fail(std::span<char> out) {
  if (!out.empty()) {
    out[0] = '\0';
  }
  return -1;
}

}  // namespace

int MakeDateStamp(std::span<char> out, std::time_t secondsBack) {
  // The precise clock, not time(): that can lag it by a clock tick, so that a program woken by the
  // precise clock at midnight would still read yesterday's date.
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::time_t moment = 0;
  if (__builtin_sub_overflow(now, secondsBack, &moment)) {
    return Fail(out);
  }
  std::tm local{};
  if (!ToLocalTime(moment, local)) {
    return Fail(out);
  }
  // The year is widened first: tm_year + 1900 overflows an int for the last years a tm can hold.
  const long long year = local.tm_year + 1900LL;
  if (!FormatBounded(out, "%04lld%02d%02d", year, local.tm_mon + 1, local.tm_mday)) {
    return Fail(out);
  }
  return 0;
}

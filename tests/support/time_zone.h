#pragma once

#include <ctime>
#include <optional>

#include "scoped_variable.h"

// Sets the time zone for one test and restores the one before it.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    zone_.emplace("TZ", zone);
    tzset();
  }
  ~TimeZone() {
    zone_.reset();
    tzset();
  }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

 private:
  std::optional<ScopedVariable> zone_;
};

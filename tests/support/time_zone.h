#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

// Sets the time zone for one test and restores the one before it.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* before = std::getenv("TZ")) {
      before_ = before;
      hadZone_ = true;
    }
    Set(zone);
  }
  ~TimeZone() {
    if (hadZone_) {
      Set(before_.c_str());
    } else {
      unsetenv("TZ");
      tzset();
    }
  }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

 private:
  static void Set(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  std::string before_;
  bool hadZone_ = false;
};

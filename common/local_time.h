#pragma once

#include <ctime>

// Converts a calendar time to local broken-down time by the C runtime's rules, which honour TZ; false
// when the platform cannot.
bool ToLocalTime(std::time_t time, std::tm& local);

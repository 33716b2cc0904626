#pragma once

#include <ctime>
#include <span>

inline constexpr std::size_t kDateStampSize = 20;

// Writes YYYYMMDD of the local date secondsBack seconds before now into out. Returns 0, or -1 with out
// left empty when the local date cannot be had or its stamp does not fit.
int MakeDateStamp(std::span<char> out, std::time_t secondsBack);

#pragma once

#include <span>

inline constexpr std::size_t kHomePathSize = 256;
inline constexpr std::size_t kPathSize = 512;

// Copies the home argument into home, then forms HOME\bin\cmdtail.exe into viewer and
// HOME\log\PREFIX.STAMP into log. Returns nullptr, or the one-line refusal to print when the home or a
// path does not fit its buffer; nothing is cut short or written past a buffer.
const char* FormDailyPaths(std::span<char> home, const char* homeArgument, const char* prefix,
                           const char* stamp, std::span<char> viewer, std::span<char> log);

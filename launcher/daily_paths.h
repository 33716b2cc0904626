#pragma once

#include <span>

#include "bounds.h"

// Copies the home argument into home, then forms HOME\bin\cmdtail.exe into viewer and
// HOME\log\PREFIX.STAMP into log. Returns nullptr, or the one-line refusal to print when the home or the
// log path does not fit its buffer; nothing is cut short or written past a buffer.
const char* FormDailyPaths(std::span<char, kHomePathSize> home, const char* homeArgument, const char* prefix,
                           const char* stamp, std::span<char, kPathSize> viewer,
                           std::span<char, kPathSize> log);

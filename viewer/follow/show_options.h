#pragma once

#include <cstddef>

// What to show: the last lineCount lines (with fromLine, everything from line lineCount on, counted
// from 1), and then, when following, everything appended.
struct ShowOptions {
  std::size_t lineCount = 10;
  bool fromLine = false;
  bool follow = true;
  // While following a log named PREFIX.YYYYMMDD of today, go on to the next day's log after midnight.
  bool rollover = true;
};

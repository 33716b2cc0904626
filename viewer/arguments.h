#pragma once

#include <cstddef>
#include <string>

inline constexpr std::size_t kDefaultLineCount = 10;

struct Arguments {
  std::size_t lineCount = kDefaultLineCount;
  const char* file = nullptr;
  bool rollover = true;
  // Empty when the command line was understood; otherwise what is wrong with it, as one line.
  std::string error;
};

// Reads "[-n N] -f FILE", the options in any order.
Arguments ParseArguments(int argc, const char* const argv[]);

#pragma once

#include <cstddef>
#include <string>

inline constexpr std::size_t kDefaultLineCount = 10;

enum class ColourMode { kAuto, kAlways, kNever };

struct Arguments {
  enum class Action { kShow, kHelp, kVersion };
  Action action = Action::kShow;
  // The last lineCount lines; with fromLine, everything from line lineCount (counted from 1) on.
  std::size_t lineCount = kDefaultLineCount;
  bool fromLine = false;
  bool follow = false;
  bool rollover = true;
  // "-" stands for standard input.
  const char* file = "-";
  // Null when no --encoding was given.
  const char* encoding = nullptr;
  ColourMode colour = ColourMode::kAuto;
  // Empty when the command line was understood; otherwise what is wrong with it, as one line.
  std::string error;
};

// Reads "[OPTIONS] [FILE]", the options before or after the file; "--" ends the options. --help and
// --version end the reading where they stand.
Arguments ParseArguments(int argc, const char* const argv[]);

// The usage, one line for each option.
extern const char* const kUsageText;

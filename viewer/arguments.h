#pragma once

#include <cstddef>
#include <string>
#include <vector>

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
  // "-" stands for standard input, which is read when no file is given.
  std::vector<const char*> files;
  // The headers that name each file's part of the output: with several files, unless -q; always with -v.
  enum class Headers { kSeveralFiles, kAlways, kNever };
  Headers headers = Headers::kSeveralFiles;
  // The log's bytes unchanged on a terminal too, its control characters included.
  bool raw = false;
  // Null when no --encoding was given.
  const char* encoding = nullptr;
  ColourMode colour = ColourMode::kAuto;
  // Empty when the command line was understood; otherwise what is wrong with it, as one line.
  std::string error;
};

// Reads "[OPTIONS] [FILE]...", the options before or after the files; "--" ends the options. --help and
// --version end the reading where they stand.
Arguments ParseArguments(int argc, const char* const argv[]);

// The usage, one line for each option.
extern const char* const kUsageText;

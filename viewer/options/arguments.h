#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "text/level.h"

inline constexpr std::size_t kDefaultLineCount = 10;

// In the order of --color's values, auto, always and never.
enum class ColourMode { kAuto, kAlways, kNever };

// Texts given to a repeatable option, and whether they came from the settings file, which is UTF-8,
// rather than the command line, which is in the system's character set.
struct OptionTexts {
  std::vector<std::string> texts;
  bool fromSettings = false;
  // The settings file's line of each text; 0 for the command line.
  std::vector<std::size_t> lines;
};

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
  // --encoding as the command line gives it, and as the settings file does; empty when not given.
  std::string encoding;
  std::string settingsEncoding;
  ColourMode colour = ColourMode::kAuto;
  OptionTexts highlights;
  OptionTexts greps;
  OptionTexts excludes;
  // Texts whose lines, arriving while cmdtail follows, raise an alert on a terminal.
  OptionTexts alerts;
  bool ignoreCase = false;
  // The texts are regular expressions.
  bool regex = false;
  // The context shown around each shown line (or record), when asked for: -A and -B, else -C.
  std::optional<std::size_t> afterContext;
  std::optional<std::size_t> beforeContext;
  std::optional<std::size_t> context;
  // Lines are filtered in whole records, which start at a line --record-start's expression matches (its
  // one text), else at a line that begins with a date or a time.
  bool records = false;
  OptionTexts recordStart;
  std::optional<Level> level;
  // --no-config: the settings file is not read.
  bool settings = true;
  // Empty when the options were understood; otherwise what is wrong with them, as one line.
  std::string error;
  // The line of the settings file the error is on; 0 for the command line.
  std::size_t errorLine = 0;
};

// A line of the settings file: a long option without its leading "--", and the line's number.
struct SettingsLine {
  std::size_t number;
  std::string option;
};

// Reads "[OPTIONS] [FILE]...", the options before or after the files; "--" ends the options. --help and
// --version end the reading where they stand. The settings come first, so that the command line's
// options take their place: a repeatable option given there replaces the settings' texts for it.
Arguments ParseArguments(int argc, const char* const argv[], const std::vector<SettingsLine>& settings = {});

#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "text/level.h"
#include "text/patterns.h"

// A repeatable option's texts in both forms a file's text can take: decoded, in the output's character
// set, and raw, in the system's. Where the two sets are one, the texts are compiled once.
struct TextPatterns {
  Patterns decoded;
  std::optional<Patterns> raw;
  [[nodiscard]] const Patterns& For(bool decodedText) const { return decodedText || !raw ? decoded : *raw; }
  [[nodiscard]] bool empty() const { return decoded.empty(); }
};

// How lines are chosen beyond the texts they hold: the context around them, whole records, levels.
struct Selection {
  std::size_t before = 0;
  std::size_t after = 0;
  // Context was asked for: a line "--" stands between groups of lines that are not adjacent.
  bool separated = false;
  // Where a record starts; none: every line is a record of its own.
  std::optional<TextPatterns> recordStart;
  std::optional<Level> level;
};

// What the output does with every file's text, as the options and standard output decide it.
struct OutputSettings {
  // Asked for; none: each file's raw bytes, unless its byte order mark names its encoding.
  std::optional<std::string> encoding;
  bool colour = false;
  // Control characters made visible, for a terminal.
  bool visible = false;
  // Headers name each file's part of the output.
  bool headers = false;
  TextPatterns highlights;
  TextPatterns greps;
  TextPatterns excludes;
  // Lines holding these raise alerts once the start's lines are shown.
  TextPatterns alerts;
  // The highlights and, after them, the alerts' texts: what is highlighted once alerts are raised.
  TextPatterns highlightsWithAlerts;
  Selection selection;

  // Whether only some lines are shown.
  [[nodiscard]] bool Filters() const { return !greps.empty() || !excludes.empty() || selection.level; }
  // Whether lines are chosen as a whole text goes, by their context, records or levels, rather than
  // each line by the texts it holds.
  [[nodiscard]] bool Selects() const {
    return selection.recordStart || selection.level || (selection.separated && Filters());
  }
  [[nodiscard]] const char* Encoding() const { return encoding ? encoding->c_str() : nullptr; }
};

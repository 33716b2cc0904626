#pragma once

#include <optional>
#include <string>

#include "text/patterns.h"

// A repeatable option's texts in both forms a file's text can take: decoded, in the output's character
// set, and raw, in the system's. Where the two sets are one, the texts are compiled once.
struct TextPatterns {
  Patterns decoded;
  std::optional<Patterns> raw;
  [[nodiscard]] const Patterns& For(bool decodedText) const { return decodedText || !raw ? decoded : *raw; }
  [[nodiscard]] bool empty() const { return decoded.empty(); }
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

  // Whether only some lines are shown.
  [[nodiscard]] bool Filters() const { return !greps.empty() || !excludes.empty(); }
  [[nodiscard]] const char* Encoding() const { return encoding ? encoding->c_str() : nullptr; }
};

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "options/arguments.h"

// The settings file beside the program, cmdtail.conf: one long option a line, as on the command line
// without its leading "--" ("encoding=CP949", "highlight=timeout"), in UTF-8 or ASCII. Blank lines and
// lines whose first character other than a blank is '#' are passed over; blanks around a line are not
// part of it.
inline constexpr const char* kSettingsFileName = "cmdtail.conf";
inline constexpr std::size_t kLargestSettingsFile = std::size_t{64} * 1024;
inline constexpr std::size_t kLongestSettingsLine = std::size_t{4} * 1024;

// The options of the settings text; false, with the line and the reason, for a text that is not UTF-8
// (UTF-16, as Notepad's "Unicode" saves it, or a line in another set, as its "ANSI") and for an option's
// line that is too long or holds a NUL byte.
bool ReadSettingsText(std::string_view text, std::vector<SettingsLine>& lines, SettingsLine& refused);

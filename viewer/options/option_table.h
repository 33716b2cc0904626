#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "options/arguments.h"

// Where an option may be given: anywhere, or on the command line only (the settings file is read for a
// run, and never decides whether there is one).
enum class OptionPlace { kAnywhere, kCommandLineOnly };

// One of cmdtail's options, written once: reading the command line and the settings file, and the help,
// come from the table of them. A second row of an option only adds a line to the help.
struct Option {
  // The long name, without its "--"; the settings file's key.
  std::string_view name;
  // Its one-letter forms, if any.
  std::string_view letters;
  // The value's name in the help, as "N"; empty for a switch, which takes none.
  std::string_view value;
  // The help's line for it, "\n" starting a line of its own; empty for a second name left out of the help.
  std::string_view help;
  OptionPlace place = OptionPlace::kAnywhere;
  // Sets what the option stands for from its value (none for a switch), which came from the settings
  // file's line `settingsLine` (0: the command line); returns why the value is refused, or nothing.
  std::string (*set)(Arguments& arguments, const char* value, std::size_t settingsLine) = nullptr;
  // The values it takes, where they are a fixed few, for the shell's completion; else none.
  std::span<const std::string_view> choices = {};
};

std::span<const Option> Options();
// The option of this long name or letter; null when there is none.
const Option* OptionNamed(std::string_view name);
const Option* OptionLettered(char letter);

// The usage, one line for each option.
std::string UsageText();

#include "options/option_table.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/charset_converter.h"

namespace {

// The help's first column is this wide; later lines of an option's help start after it.
constexpr std::size_t kUsageWidth = 21;

bool ParseCount(const char* text, std::size_t& count) {
  if (*text < '0' || *text > '9') {
    return false;
  }
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*end != '\0' || errno == ERANGE || value > SIZE_MAX) {
    return false;
  }
  count = static_cast<std::size_t>(value);
  return true;
}

std::string SetLines(Arguments& a, const char* value, std::size_t /*settingsLine*/) {
  a.fromLine = *value == '+';
  return ParseCount(a.fromLine ? value + 1 : value, a.lineCount) ? ""
                                                                 : std::string("invalid line count ") + value;
}

// The values of --color, in the order of ColourMode's.
constexpr std::array<std::string_view, 3> kColourModes{"auto", "always", "never"};

std::string SetColour(Arguments& a, const char* value, std::size_t /*settingsLine*/) {
  const auto* found = std::find(kColourModes.begin(), kColourModes.end(), std::string_view(value));
  if (found != kColourModes.end()) {
    a.colour = static_cast<ColourMode>(found - kColourModes.begin());
    return {};
  }
  return std::string("invalid --color value ") + value + " (auto, always or never)";
}

// The settings file's encoding is looked at as its line is read, so that a fault names the line; the
// command line's and the environment's are looked at once the run has chosen one.
std::string SetEncoding(Arguments& a, const char* value, std::size_t settingsLine) {
  const bool fromSettings = settingsLine > 0;
  if (fromSettings && platform::OpenConverter(value, platform::OutputCharset().c_str()) == nullptr) {
    return std::string("unknown encoding ") + value;
  }
  (fromSettings ? a.settingsEncoding : a.encoding) = value;
  return {};
}

// The command line's first text for an option replaces those of the settings.
template <OptionTexts Arguments::*texts>
std::string AddText(Arguments& a, const char* value, std::size_t settingsLine) {
  OptionTexts& taken = a.*texts;
  const bool fromSettings = settingsLine > 0;
  if (taken.fromSettings && !fromSettings) {
    taken = {};
  }
  if (taken.texts.empty()) {
    taken.fromSettings = fromSettings;
  }
  taken.texts.emplace_back(value);
  taken.lines.push_back(settingsLine);
  return {};
}

// An option of one text: the last one given holds.
template <OptionTexts Arguments::*text>
std::string SetText(Arguments& a, const char* value, std::size_t settingsLine) {
  a.*text = {};
  return AddText<text>(a, value, settingsLine);
}

template <std::optional<std::size_t> Arguments::*count>
std::string SetCount(Arguments& a, const char* value, std::size_t /*settingsLine*/) {
  std::size_t parsed = 0;
  if (!ParseCount(value, parsed)) {
    return std::string("invalid context length ") + value;
  }
  a.*count = parsed;
  return {};
}

std::string SetLevel(Arguments& a, const char* value, std::size_t /*settingsLine*/) {
  a.level = LevelNamed(value);
  return a.level ? ""
                 : std::string("invalid --level value ") + value +
                       " (TRACE, DEBUG, INFO, NOTICE, WARN, ERROR or FATAL)";
}

// A switch: sets `member` to `to`.
template <auto member, auto to>
std::string Set(Arguments& a, const char* /*value*/, std::size_t /*settingsLine*/) {
  a.*member = to;
  return {};
}

using Headers = Arguments::Headers;

// Undoes -q or -v: the headers are shown as by default again, unless the other one set them.
template <Headers undone>
std::string UndoHeaders(Arguments& a, const char* /*value*/, std::size_t /*settingsLine*/) {
  if (a.headers == undone) {
    a.headers = Headers::kSeveralFiles;
  }
  return {};
}

using Action = Arguments::Action;
constexpr OptionPlace kCommandLineOnly = OptionPlace::kCommandLineOnly;

constexpr std::array kOptions{
    Option{"follow", "fF", "", "follow: show what is appended, across truncation, replacement and midnight",
           OptionPlace::kAnywhere, Set<&Arguments::follow, true>},
    Option{"no-follow", "", "", "undo --follow (as the settings file's): show the last lines and end",
           OptionPlace::kAnywhere, Set<&Arguments::follow, false>},
    Option{"lines", "n", "N", "show the last N lines (10 by default)", OptionPlace::kAnywhere, SetLines},
    Option{"lines", "n", "+K", "show from line K to the end"},
    Option{"quiet", "q", "", "never show the ==> FILE <== headers that name each of several files",
           OptionPlace::kAnywhere, Set<&Arguments::headers, Headers::kNever>},
    Option{"no-quiet", "", "", "undo --quiet: the headers as by default", OptionPlace::kAnywhere,
           UndoHeaders<Headers::kNever>},
    Option{"silent", "", "", "", OptionPlace::kAnywhere, Set<&Arguments::headers, Headers::kNever>},
    Option{"verbose", "v", "", "always show the headers, also for one file", OptionPlace::kAnywhere,
           Set<&Arguments::headers, Headers::kAlways>},
    Option{"no-verbose", "", "", "undo --verbose: the headers as by default", OptionPlace::kAnywhere,
           UndoHeaders<Headers::kAlways>},
    Option{"no-rollover", "", "", "stay on FILE after midnight instead of going on to the next day's log",
           OptionPlace::kAnywhere, Set<&Arguments::rollover, false>},
    Option{"rollover", "", "", "undo --no-rollover: go on to the next day's log after midnight",
           OptionPlace::kAnywhere, Set<&Arguments::rollover, true>},
    Option{"encoding", "", "NAME",
           "read FILE as NAME (CP949, UTF-8, ...); default $CMDTAIL_ENCODING, else raw bytes\n"
           "or the encoding a byte order mark names",
           OptionPlace::kAnywhere, SetEncoding},
    Option{"color", "", "WHEN",
           "auto (a terminal, NO_COLOR unset), always or never: ERROR lines red, WARN yellow",
           OptionPlace::kAnywhere, SetColour, kColourModes},
    Option{"raw", "", "", "on a terminal too, pass control characters as they are instead of as ^X",
           OptionPlace::kAnywhere, Set<&Arguments::raw, true>},
    Option{"no-raw", "", "", "undo --raw", OptionPlace::kAnywhere, Set<&Arguments::raw, false>},
    Option{"grep", "", "TEXT", "show only lines holding TEXT (repeatable: any of them)",
           OptionPlace::kAnywhere, AddText<&Arguments::greps>},
    Option{"exclude", "", "TEXT", "hide lines holding TEXT (repeatable)", OptionPlace::kAnywhere,
           AddText<&Arguments::excludes>},
    Option{"highlight", "", "TEXT", "colour each TEXT in a colour of its own (repeatable)",
           OptionPlace::kAnywhere, AddText<&Arguments::highlights>},
    Option{"alert", "", "TEXT",
           "on a terminal, while following: a new line holding TEXT rings the bell (at most\n"
           "once in 2 s) and shows TEXT highlighted (repeatable)",
           OptionPlace::kAnywhere, AddText<&Arguments::alerts>},
    Option{"ignore-case", "i", "", "match TEXT in any letter case", OptionPlace::kAnywhere,
           Set<&Arguments::ignoreCase, true>},
    Option{"no-ignore-case", "", "", "undo --ignore-case: match TEXT in its own letter case",
           OptionPlace::kAnywhere, Set<&Arguments::ignoreCase, false>},
    Option{"regex", "E", "", "every TEXT is a regular expression (RE2's syntax), matched against each line",
           OptionPlace::kAnywhere, Set<&Arguments::regex, true>},
    Option{"no-regex", "", "", "undo --regex: every TEXT is a fixed string", OptionPlace::kAnywhere,
           Set<&Arguments::regex, false>},
    Option{"after-context", "A", "N", "also show the N lines after each line a filter shows",
           OptionPlace::kAnywhere, SetCount<&Arguments::afterContext>},
    Option{"before-context", "B", "N", "also show the N lines before each line a filter shows",
           OptionPlace::kAnywhere, SetCount<&Arguments::beforeContext>},
    Option{"context", "C", "N", "-A N and -B N, where they are not given", OptionPlace::kAnywhere,
           SetCount<&Arguments::context>},
    Option{"records", "", "",
           "filter, colour and count whole records: a line beginning with a date or a\n"
           "time starts one, and the lines after it (a stack trace) belong to it",
           OptionPlace::kAnywhere, Set<&Arguments::records, true>},
    Option{"no-records", "", "", "undo --records: filter single lines", OptionPlace::kAnywhere,
           Set<&Arguments::records, false>},
    Option{"record-start", "", "RE",
           "with --records, a line matching the regular expression RE starts a record",
           OptionPlace::kAnywhere, SetText<&Arguments::recordStart>},
    Option{"level", "", "LEVEL",
           "show only lines at LEVEL or above: TRACE, DEBUG, INFO, NOTICE, WARN, ERROR or FATAL;\n"
           "a line without a level word goes with the line before it",
           OptionPlace::kAnywhere, SetLevel, kLevelNames},
    Option{"no-config", "", "", "do not read the settings file (see below)", kCommandLineOnly,
           Set<&Arguments::settings, false>},
    Option{"help", "", "", "show this help and end", kCommandLineOnly,
           Set<&Arguments::action, Action::kHelp>},
    Option{"version", "", "", "show the version and end", kCommandLineOnly,
           Set<&Arguments::action, Action::kVersion>},
};

// "-n N, --lines=N": each letter, then the long name, with the value.
std::string UsageOf(const Option& option) {
  std::string usage;
  for (const char letter : option.letters) {
    usage += std::string("-") + letter + (option.value.empty() ? "" : " ") + std::string(option.value) + ", ";
  }
  return usage + "--" + std::string(option.name) + (option.value.empty() ? "" : "=") +
         std::string(option.value);
}

}  // namespace

std::span<const Option> Options() { return kOptions; }

const Option* OptionNamed(std::string_view name) {
  const auto* found = std::find_if(kOptions.begin(), kOptions.end(),
                                   [&](const Option& option) { return option.name == name; });
  return found != kOptions.end() ? found : nullptr;
}

const Option* OptionLettered(char letter) {
  const auto* found = std::find_if(kOptions.begin(), kOptions.end(), [&](const Option& option) {
    return option.letters.find(letter) != std::string_view::npos;
  });
  return found != kOptions.end() ? found : nullptr;
}

std::string UsageText() {
  std::string text =
      "usage: cmdtail [OPTIONS] [FILE]...\n"
      "Shows the last lines of each FILE (standard input when absent or -) and, with -f, what is appended.\n";
  for (const Option& option : kOptions) {
    if (option.help.empty()) {
      continue;
    }
    std::string usage = "  " + UsageOf(option);
    usage.resize(std::max(kUsageWidth, usage.size() + 2), ' ');
    text += usage;
    for (const char c : option.help) {
      text += c == '\n' ? "\n" + std::string(kUsageWidth, ' ') : std::string(1, c);
    }
    text += '\n';
  }
  return text;
}

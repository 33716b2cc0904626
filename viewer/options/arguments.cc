// The command line is read here rather than by getopt_long, which the Windows C runtime lacks, so both
// platforms read it alike.
#include "options/arguments.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

const char* const kUsageText =
    "usage: cmdtail [OPTIONS] [FILE]...\n"
    "Shows the last lines of each FILE (standard input when absent or -) and, with -f, what is appended.\n"
    "  -f, -F, --follow   follow: show what is appended, across truncation, replacement and midnight\n"
    "  -n N, --lines=N    show the last N lines (10 by default)\n"
    "  -n +K, --lines=+K  show from line K to the end\n"
    "  -q, --quiet        never show the ==> FILE <== headers that name each of several files\n"
    "  -v, --verbose      always show the headers, also for one file\n"
    "  --no-rollover      stay on FILE after midnight instead of going on to the next day's log\n"
    "  --encoding=NAME    read FILE as NAME (CP949, UTF-8, ...); default $CMDTAIL_ENCODING, else raw bytes\n"
    "                     or the encoding a byte order mark names\n"
    "  --color=WHEN       auto (a terminal, NO_COLOR unset), always or never: ERROR lines red, WARN yellow\n"
    "  --raw              on a terminal too, pass control characters as they are instead of as ^X\n"
    "  --grep=TEXT        show only lines holding TEXT (repeatable: any of them)\n"
    "  --exclude=TEXT     hide lines holding TEXT (repeatable)\n"
    "  --highlight=TEXT   colour each TEXT in a colour of its own (repeatable)\n"
    "  -i, --ignore-case  match TEXT in any letter case\n"
    "  --no-config        do not read the settings file (see below)\n"
    "  --help             show this help and end\n"
    "  --version          show the version and end\n";

namespace {

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

// Long options that take no value, and what each sets.
struct Flag {
  std::string_view name;
  void (*set)(Arguments&);  // cppcheck-suppress unusedStructMember
};

constexpr Flag kFlags[] = {
    {"follow", [](Arguments& a) { a.follow = true; }},
    {"no-rollover", [](Arguments& a) { a.rollover = false; }},
    {"raw", [](Arguments& a) { a.raw = true; }},
    {"quiet", [](Arguments& a) { a.headers = Arguments::Headers::kNever; }},
    {"silent", [](Arguments& a) { a.headers = Arguments::Headers::kNever; }},
    {"verbose", [](Arguments& a) { a.headers = Arguments::Headers::kAlways; }},
    {"ignore-case", [](Arguments& a) { a.ignoreCase = true; }},
    {"no-config", [](Arguments& a) { a.settings = false; }},
    {"help", [](Arguments& a) { a.action = Arguments::Action::kHelp; }},
    {"version", [](Arguments& a) { a.action = Arguments::Action::kVersion; }},
};

// What a settings line may not set: the file is read for a run, and never decides whether it is one.
bool BelongsToTheCommandLine(std::string_view name) {
  return name == "help" || name == "version" || name == "no-config";
}

// The command line's first text for an option replaces those of the settings.
void TakeText(OptionTexts& texts, const char* value, bool fromSettings) {
  if (texts.fromSettings && !fromSettings) {
    texts = {};
  }
  if (texts.texts.empty()) {
    texts.fromSettings = fromSettings;
  }
  texts.texts.emplace_back(value);
}

class Reader {
 public:
  Reader(int argc, const char* const argv[]) : argc_(argc), argv_(argv) {}

  Arguments Read(const std::vector<SettingsLine>& settings) {
    for (const SettingsLine& line : settings) {
      if (stopped_) {
        break;
      }
      settingsLine_ = line.number;
      const std::string_view option(line.option);
      if (option.starts_with('-')) {
        Refuse("expected a long option without its --, not " + std::string(option));
      } else if (BelongsToTheCommandLine(option.substr(0, option.find('=')))) {
        Refuse("--" + std::string(option) + " belongs on the command line");
      } else {
        ReadLong(option);
      }
    }
    settingsLine_ = 0;
    bool optionsEnded = false;
    while (next_ < argc_ && !stopped_) {
      const char* argument = argv_[next_++];
      const std::string_view text(argument);
      if (optionsEnded || text.size() < 2 || text[0] != '-') {
        TakeFile(argument);
      } else if (text == "--") {
        optionsEnded = true;
      } else if (text.starts_with("--")) {
        ReadLong(text.substr(2));
      } else {
        ReadShort(text.substr(1));
      }
    }
    if (arguments_.files.empty()) {
      arguments_.files.push_back("-");
    }
    return std::move(arguments_);
  }

 private:
  void ReadLong(std::string_view option) {
    const std::size_t equals = option.find('=');
    const std::string_view name = option.substr(0, equals);
    const char* attached = equals == std::string_view::npos ? nullptr : option.data() + equals + 1;
    const auto* flag = std::find_if(std::begin(kFlags), std::end(kFlags),
                                    [&](const Flag& known) { return known.name == name; });
    if (flag != std::end(kFlags)) {
      if (attached != nullptr) {
        Refuse("option --" + std::string(name) + " takes no value");
        return;
      }
      flag->set(arguments_);
      stopped_ = arguments_.action != Arguments::Action::kShow;
      return;
    }
    if (name != "lines" && name != "encoding" && name != "color" && TextsOf(name) == nullptr) {
      Refuse("unknown option --" + std::string(name));
      return;
    }
    const char* value = ValueOf("--" + std::string(name), attached);
    if (value == nullptr) {
      return;
    }
    if (name == "lines") {
      TakeLineCount(value);
    } else if (name == "encoding") {
      (settingsLine_ > 0 ? arguments_.settingsEncoding : arguments_.encoding) = value;
    } else if (name == "color") {
      TakeColour(value);
    } else {
      TakeText(*TextsOf(name), value, settingsLine_ > 0);
    }
  }

  // A cluster of one-letter options, as "-f", "-fn5" or "-n 5".
  void ReadShort(std::string_view cluster) {
    for (std::size_t i = 0; i < cluster.size() && !stopped_; ++i) {
      const char letter = cluster[i];
      if (letter == 'f' || letter == 'F') {
        arguments_.follow = true;
      } else if (letter == 'q') {
        arguments_.headers = Arguments::Headers::kNever;
      } else if (letter == 'v') {
        arguments_.headers = Arguments::Headers::kAlways;
      } else if (letter == 'i') {
        arguments_.ignoreCase = true;
      } else if (letter == 'n') {
        const char* attached = i + 1 < cluster.size() ? cluster.data() + i + 1 : nullptr;
        if (const char* value = ValueOf("-n", attached)) {
          TakeLineCount(value);
        }
        return;
      } else {
        Refuse("unknown option -" + std::string(1, letter));
      }
    }
  }

  // The option's value: the attached text when there is one, otherwise the next argument (never on a
  // settings line). An empty value is refused: it would silently mean something else, as the locale's
  // set for --encoding or every line for --grep.
  const char* ValueOf(const std::string& option, const char* attached) {
    const char* value = attached != nullptr ? attached
                        : settingsLine_ > 0 ? nullptr
                        : next_ < argc_     ? argv_[next_++]
                                            : nullptr;
    if (value == nullptr || *value == '\0') {
      Refuse("option " + option + " needs a value");
      return nullptr;
    }
    return value;
  }

  OptionTexts* TextsOf(std::string_view name) {
    return name == "highlight" ? &arguments_.highlights
           : name == "grep"    ? &arguments_.greps
           : name == "exclude" ? &arguments_.excludes
                               : nullptr;
  }

  void TakeLineCount(const char* value) {
    arguments_.fromLine = *value == '+';
    if (!ParseCount(arguments_.fromLine ? value + 1 : value, arguments_.lineCount)) {
      Refuse(std::string("invalid line count ") + value);
    }
  }

  void TakeColour(const char* value) {
    const std::string_view when(value);
    if (when == "auto") {
      arguments_.colour = ColourMode::kAuto;
    } else if (when == "always") {
      arguments_.colour = ColourMode::kAlways;
    } else if (when == "never") {
      arguments_.colour = ColourMode::kNever;
    } else {
      Refuse(std::string("invalid --color value ") + value + " (auto, always or never)");
    }
  }

  void TakeFile(const char* file) { arguments_.files.push_back(file); }

  void Refuse(std::string error) {
    arguments_ = Arguments{};
    arguments_.error = std::move(error);
    arguments_.errorLine = settingsLine_;
    stopped_ = true;
  }

  int argc_;
  const char* const* argv_;
  int next_ = 1;
  std::size_t settingsLine_ = 0;
  bool stopped_ = false;
  Arguments arguments_;
};

}  // namespace

Arguments ParseArguments(int argc, const char* const argv[], const std::vector<SettingsLine>& settings) {
  return Reader(argc, argv).Read(settings);
}

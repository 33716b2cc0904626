// The command line is read here rather than by getopt_long, which the Windows C runtime lacks, so both
// platforms read it alike.
#include "arguments.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

const char* const kUsageText =
    "usage: cmdtail [OPTIONS] [FILE]...\n"
    "Shows the last lines of each FILE (standard input when absent or -) and, with -f, what is appended.\n"
    "  -f, -F             follow: show what is appended, across truncation, replacement and midnight\n"
    "  -n N, --lines=N    show the last N lines (10 by default)\n"
    "  -n +K, --lines=+K  show from line K to the end\n"
    "  -q, --quiet        never show the ==> FILE <== headers that name each of several files\n"
    "  -v, --verbose      always show the headers, also for one file\n"
    "  --no-rollover      stay on FILE after midnight instead of going on to the next day's log\n"
    "  --encoding=NAME    read FILE as NAME (CP949, UTF-8, ...); default $CMDTAIL_ENCODING, else raw bytes\n"
    "                     or the encoding a byte order mark names\n"
    "  --color=WHEN       auto (a terminal, NO_COLOR unset), always or never: ERROR lines red, WARN yellow\n"
    "  --raw              on a terminal too, pass control characters as they are instead of as ^X\n"
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

class Reader {
 public:
  Reader(int argc, const char* const argv[]) : argc_(argc), argv_(argv) {}

  Arguments Read() {
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
    if (name == "lines" || name == "encoding" || name == "color") {
      const char* value = ValueOf("--" + std::string(name), attached);
      if (value == nullptr) {
        return;
      }
      if (name == "lines") {
        TakeLineCount(value);
      } else if (name == "encoding") {
        arguments_.encoding = value;
      } else {
        TakeColour(value);
      }
    } else if (name != "no-rollover" && name != "raw" && name != "quiet" && name != "silent" &&
               name != "verbose" && name != "help" && name != "version") {
      Refuse("unknown option --" + std::string(name));
    } else if (attached != nullptr) {
      Refuse("option --" + std::string(name) + " takes no value");
    } else if (name == "no-rollover") {
      arguments_.rollover = false;
    } else if (name == "raw") {
      arguments_.raw = true;
    } else if (name == "quiet" || name == "silent") {
      arguments_.headers = Arguments::Headers::kNever;
    } else if (name == "verbose") {
      arguments_.headers = Arguments::Headers::kAlways;
    } else {
      arguments_.action = name == "help" ? Arguments::Action::kHelp : Arguments::Action::kVersion;
      stopped_ = true;
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

  // The option's value: the attached text when there is one, otherwise the next argument. An empty
  // value is refused: it would silently mean something else, as the locale's set for --encoding.
  const char* ValueOf(const std::string& option, const char* attached) {
    const char* value = attached != nullptr ? attached : next_ < argc_ ? argv_[next_++] : nullptr;
    if (value == nullptr || *value == '\0') {
      Refuse("option " + option + " needs a value");
      return nullptr;
    }
    return value;
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
    stopped_ = true;
  }

  int argc_;
  const char* const* argv_;
  int next_ = 1;
  bool stopped_ = false;
  Arguments arguments_;
};

}  // namespace

Arguments ParseArguments(int argc, const char* const argv[]) { return Reader(argc, argv).Read(); }

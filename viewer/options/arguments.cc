// The command line is read here rather than by getopt_long, which the Windows C runtime lacks, so both
// platforms read it alike.
#include "options/arguments.h"

#include <string_view>
#include <utility>

#include "options/option_table.h"

namespace {

// A path that begins with one '-', such as the log daylog names under a relative home "-proj":
// "-proj\log\web.20261210". No option holds a path separator.
bool IsDashedPath(std::string_view text) {
  return !text.starts_with("--") && text.find_first_of("/\\") != std::string_view::npos;
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
      } else if (const Option* known = OptionNamed(option.substr(0, option.find('=')));
                 known != nullptr && known->place == OptionPlace::kCommandLineOnly) {
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
      if (optionsEnded || text.size() < 2 || text[0] != '-' || IsDashedPath(text)) {
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
    const Option* known = OptionNamed(name);
    if (known == nullptr) {
      Refuse("unknown option --" + std::string(name));
    } else if (known->value.empty() && attached != nullptr) {
      Refuse("option --" + std::string(name) + " takes no value");
    } else {
      Take(*known, "--" + std::string(name), attached);
    }
  }

  // A cluster of one-letter options, as "-f", "-fn5" or "-n 5".
  void ReadShort(std::string_view cluster) {
    for (std::size_t i = 0; i < cluster.size() && !stopped_; ++i) {
      const std::string given{'-', cluster[i]};
      const Option* known = OptionLettered(cluster[i]);
      if (known == nullptr) {
        Refuse("unknown option " + given);
        return;
      }
      if (!known->value.empty()) {
        // The value is the rest of the cluster, or else the next argument.
        Take(*known, given, i + 1 < cluster.size() ? cluster.data() + i + 1 : nullptr);
        return;
      }
      Take(*known, {}, nullptr);
    }
  }

  // Sets what the option stands for, with its value when it takes one; --help and --version end the reading.
  void Take(const Option& option, const std::string& given, const char* attached) {
    const char* value = nullptr;
    if (!option.value.empty() && (value = ValueOf(given, attached)) == nullptr) {
      return;
    }
    if (std::string refusal = option.set(arguments_, value, settingsLine_); !refusal.empty()) {
      Refuse(std::move(refusal));
      return;
    }
    stopped_ = arguments_.action != Arguments::Action::kShow;
  }

  // The option's value: the attached text when there is one, otherwise the next argument (never on a
  // settings line). An empty value is refused: it would silently mean something else, as the locale's
  // set for --encoding or every line for --grep. So is a value holding a line feed: the lines are
  // searched one at a time, so a text across two would match by accident, and a message holding it
  // would not be one line.
  const char* ValueOf(const std::string& option, const char* attached) {
    const char* value = attached != nullptr ? attached
                        : settingsLine_ > 0 ? nullptr
                        : next_ < argc_     ? argv_[next_++]
                                            : nullptr;
    if (value == nullptr || *value == '\0') {
      Refuse("option " + option + " needs a value");
      return nullptr;
    }
    if (std::string_view(value).find('\n') != std::string_view::npos) {
      Refuse("option " + option + " needs a value without a line feed");
      return nullptr;
    }
    return value;
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

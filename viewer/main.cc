// cmdtail [OPTIONS] [FILE]...: shows the last lines of each FILE and, with -f, everything appended to
// them until stopped; --help lists the options.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "follow/tail.h"
#include "options/arguments.h"
#include "options/option_table.h"
#include "options/settings_file.h"
#include "output/alarm.h"
#include "output/messages.h"
#include "platform/charset_converter.h"
#include "platform/files.h"
#include "platform/output_sink.h"
#include "platform/program_entry.h"
#include "platform/stop.h"
#include "platform/terminal.h"
#include "text/patterns.h"
#include "text/visible_text.h"

namespace {

// The option's value, else the environment's CMDTAIL_ENCODING, else the settings file's, else none.
const char* EncodingOf(const Arguments& arguments) {
  if (!arguments.encoding.empty()) {
    return arguments.encoding.c_str();
  }
  const char* fromEnvironment = std::getenv("CMDTAIL_ENCODING");
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
    return fromEnvironment;
  }
  return arguments.settingsEncoding.empty() ? nullptr : arguments.settingsEncoding.c_str();
}

// Repeatable options' texts, one option's after another's, in both forms of a file's text, each from the
// set it was given in.
TextPatterns PatternsOf(std::initializer_list<const OptionTexts*> options, bool ignoreCase) {
  const auto patterns = [&](const std::string& to) {
    std::vector<std::optional<std::string>> texts;
    for (const OptionTexts* given : options) {
      const std::string from = given->fromSettings ? "UTF-8" : ArgumentCharset();
      std::transform(given->texts.begin(), given->texts.end(), std::back_inserter(texts),
                     [&](const std::string& text) { return TextIn(text, from.c_str(), to.c_str()); });
    }
    return Patterns(std::move(texts), ignoreCase, CanonicalCharsetName(to) == "UTF8");
  };
  if (std::all_of(options.begin(), options.end(),
                  [](const OptionTexts* given) { return given->texts.empty(); })) {
    return {};
  }
  return {patterns(OutputCharset()), patterns(SystemCharset())};
}

// "cmdtail: cmdtail.conf:LINE: reason", the line's text in the reason shown visibly.
void ReportSettingsFault(std::size_t line, const std::string& reason) {
  Say(std::string(kSettingsFileName) + ":" + std::to_string(line) + ": " + VisibleText(reason, true, true));
}

// The options of the settings file, read before the command line's, unless --no-config says not to; false
// after saying why, when the file cannot be read or used.
bool ReadSettings(int argc, char* argv[], Arguments& arguments) {
  if (!arguments.settings || arguments.action != Arguments::Action::kShow || !arguments.error.empty()) {
    return true;
  }
  std::string text;
  switch (viewer_platform::ReadBesideProgram(kSettingsFileName, kLargestSettingsFile, text)) {
    case viewer_platform::SettingsRead::kMissing:
      return true;
    case viewer_platform::SettingsRead::kTooLarge:
      Say(std::string(kSettingsFileName) + ": larger than 64 KiB");
      return false;
    case viewer_platform::SettingsRead::kNotAFile:
      Say(std::string("cannot read ") + kSettingsFileName + ": not a regular file");
      return false;
    case viewer_platform::SettingsRead::kFailed:
      Say(std::string("cannot read ") + kSettingsFileName + ": " + viewer_platform::LastErrorText());
      return false;
    case viewer_platform::SettingsRead::kRead:
      break;
  }
  std::vector<SettingsLine> lines;
  SettingsLine refused{};
  if (!ReadSettingsText(text, lines, refused)) {
    ReportSettingsFault(refused.number, refused.option);
    return false;
  }
  arguments = ParseArguments(argc, argv, lines);
  return true;
}

bool WantsColour(ColourMode mode, terminal::Session& session) {
  if (mode == ColourMode::kNever) {
    return false;
  }
  if (mode == ColourMode::kAuto) {
    const char* noColour = std::getenv("NO_COLOR");
    if (!terminal::OutputIsTerminal() || (noColour != nullptr && *noColour != '\0')) {
      return false;
    }
  }
  return session.EnableColour();
}

bool WantsHeaders(const Arguments& arguments) {
  switch (arguments.headers) {
    case Arguments::Headers::kAlways:
      return true;
    case Arguments::Headers::kNever:
      return false;
    case Arguments::Headers::kSeveralFiles:
      break;
  }
  return arguments.files.size() > 1;
}

// The status after text written through the C library's standard output: 1, said on standard error,
// when it could not all be written.
int EndOfText() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
    return 0;
  }
  ReportOutputFailure(std::strerror(errno));
  return 1;
}

int Run(int argc, char* argv[]) {
  Arguments arguments = ParseArguments(argc, argv);
  if (!ReadSettings(argc, argv, arguments)) {
    return 2;
  }
  if (arguments.errorLine > 0) {
    ReportSettingsFault(arguments.errorLine, arguments.error);
    return 2;
  }
  if (!arguments.error.empty()) {
    Say(arguments.error + " (usage: cmdtail [OPTIONS] [FILE]...; see cmdtail --help)");
    return 2;
  }
  if (arguments.action == Arguments::Action::kHelp) {
    std::fputs(UsageText().c_str(), stdout);
    const std::string settings = viewer_platform::PathBesideProgram(kSettingsFileName);
    std::printf("Settings: %s, one long option a line without its --; the command line takes precedence.\n",
                settings.empty() ? "none (the program's own path is unknown)" : settings.c_str());
    return EndOfText();
  }
  if (arguments.action == Arguments::Action::kVersion) {
    std::printf("cmdtail %s\n", CMDTAIL_VERSION);
    return EndOfText();
  }
  const char* encoding = EncodingOf(arguments);
  if (encoding != nullptr && OpenConverter(encoding, OutputCharset().c_str()) == nullptr) {
    const bool fromEnvironment = arguments.encoding.empty() && encoding != arguments.settingsEncoding.c_str();
    Say(std::string("unknown encoding ") + encoding + (fromEnvironment ? " (from CMDTAIL_ENCODING)" : ""));
    return 2;
  }
  // Whatever it changes of the terminal is put back as the session ends, with the run.
  terminal::Session session;
  const TextPatterns highlights = PatternsOf({&arguments.highlights}, arguments.ignoreCase);
  const TextPatterns greps = PatternsOf({&arguments.greps}, arguments.ignoreCase);
  const TextPatterns excludes = PatternsOf({&arguments.excludes}, arguments.ignoreCase);
  const TextPatterns alerts = PatternsOf({&arguments.alerts}, arguments.ignoreCase);
  const TextPatterns highlightsWithAlerts =
      PatternsOf({&arguments.highlights, &arguments.alerts}, arguments.ignoreCase);
  // Alerts are the terminal's: into a pipe or a file the bytes stay the log's.
  StandardOutput terminalOutput;
  Alarm alarm(terminalOutput);
  const bool alerting = arguments.follow && !alerts.decoded.empty() && terminal::OutputIsTerminal();
  // cppcheck-suppress unreadVariable
  const OutputSettings settings{.encoding = encoding,
                                .colour = WantsColour(arguments.colour, session),
                                .visible = !arguments.raw && terminal::OutputIsTerminal(),
                                .headers = WantsHeaders(arguments),
                                .highlights = &highlights,
                                .greps = &greps,
                                .excludes = &excludes,
                                .alerts = &alerts,
                                .alarm = alerting ? &alarm : nullptr,
                                .highlightsWithAlerts = &highlightsWithAlerts};
  if (!viewer_platform::PrepareProcess()) {
    Say("cannot prepare the process: " + viewer_platform::LastErrorText());
    return 1;
  }
  return Tail(arguments.files, settings, session)
      .Run({.lineCount = arguments.lineCount,
            .fromLine = arguments.fromLine,
            .follow = arguments.follow,
            .rollover = arguments.rollover});
}

}  // namespace

int ProgramMain(int argc, char* argv[]) {
  const int status = Run(argc, argv);
  if (status != 0) {
    terminal::HoldErrorInView();
  }
  return status;
}

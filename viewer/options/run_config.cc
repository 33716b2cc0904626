#include "options/run_config.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "options/arguments.h"
#include "options/settings_file.h"
#include "output/messages.h"
#include "platform/charset_converter.h"
#include "platform/files.h"
#include "text/converted_text.h"
#include "text/visible_text.h"

namespace {

// The encoding asked for, and where it was asked.
struct AskedEncoding {
  std::string name;  // cppcheck-suppress unusedStructMember
  bool fromEnvironment = false;
};

// The option's value, else the environment's CMDTAIL_ENCODING, else the settings file's, else none.
std::optional<AskedEncoding> EncodingOf(const Arguments& arguments) {
  if (!arguments.encoding.empty()) {
    return AskedEncoding{arguments.encoding};
  }
  const char* fromEnvironment = std::getenv("CMDTAIL_ENCODING");
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
    return AskedEncoding{fromEnvironment, true};
  }
  if (!arguments.settingsEncoding.empty()) {
    return AskedEncoding{arguments.settingsEncoding};
  }
  return std::nullopt;
}

// Where a record starts by default: at a line that begins, after an optional "[", with a date
// (2026-12-10, 2026/12/10, 2026.12.10, 20261210, "12-10 ") or a time (13:45:01).
constexpr const char* kDatedLine =
    R"(^\[?(?:\d{4}[-/.]\d{2}[-/.]\d{2}|\d{8}|\d{2}-\d{2} |\d{1,2}:\d{2}:\d{2}))";

// Repeatable options' texts, one option's after another's, each from the set it was given in, compiled
// for the set `to`.
Patterns PatternsIn(std::initializer_list<const OptionTexts*> options, bool ignoreCase,
                    Patterns::Syntax syntax, const std::string& to) {
  std::vector<std::optional<std::string>> texts;
  for (const OptionTexts* given : options) {
    const std::string from = given->fromSettings ? "UTF-8" : platform::ArgumentCharset();
    std::transform(given->texts.begin(), given->texts.end(), std::back_inserter(texts),
                   [&](const std::string& text) { return TextIn(text, from.c_str(), to.c_str()); });
  }
  return {std::move(texts), ignoreCase, platform::CanonicalCharsetName(to) == "UTF8", syntax};
}

// The texts in both forms of a file's text; in one where the output's set is the system's.
TextPatterns PatternsOf(std::initializer_list<const OptionTexts*> options, bool ignoreCase,
                        Patterns::Syntax syntax) {
  if (std::all_of(options.begin(), options.end(),
                  [](const OptionTexts* given) { return given->texts.empty(); })) {
    return {};
  }
  const std::string output = platform::OutputCharset();
  const std::string system = platform::SystemCharset();
  TextPatterns patterns{PatternsIn(options, ignoreCase, syntax, output), std::nullopt};
  if (platform::CanonicalCharsetName(output) != platform::CanonicalCharsetName(system)) {
    patterns.raw = PatternsIn(options, ignoreCase, syntax, system);
  }
  return patterns;
}

// "cmdtail: cmdtail.conf:LINE: reason", the line's text in the reason shown visibly.
void ReportSettingsFault(std::size_t line, const std::string& reason) {
  Say(std::string(kSettingsFileName) + ":" + std::to_string(line) + ": " + VisibleText(reason, true, true));
}

// The settings file's lines; empty after saying why, when the file cannot be read or used.
std::optional<std::vector<SettingsLine>> ReadSettings() {
  std::string text;
  switch (platform::ReadBesideProgram(kSettingsFileName, kLargestSettingsFile, text)) {
    case platform::SmallFileRead::kMissing:
      return std::vector<SettingsLine>{};
    case platform::SmallFileRead::kTooLarge:
      Say(std::string(kSettingsFileName) + ": larger than 64 KiB");
      return std::nullopt;
    case platform::SmallFileRead::kNotAFile:
      Say(std::string("cannot read ") + kSettingsFileName + ": not a regular file");
      return std::nullopt;
    case platform::SmallFileRead::kFailed:
      Say(std::string("cannot read ") + kSettingsFileName + ": " + platform::LastErrorText());
      return std::nullopt;
    case platform::SmallFileRead::kRead:
      break;
  }
  std::vector<SettingsLine> lines;
  SettingsLine refused{};
  if (!ReadSettingsText(text, lines, refused)) {
    ReportSettingsFault(refused.number, refused.option);
    return std::nullopt;
  }
  return lines;
}

// The command line's options after the settings file's, unless --no-config says not to read it, or
// the command line asks for no run or is wrong; empty after saying why.
std::optional<Arguments> ReadArguments(int argc, char* argv[]) {
  Arguments arguments = ParseArguments(argc, argv);
  if (arguments.settings && arguments.action == Arguments::Action::kShow && arguments.error.empty()) {
    const std::optional<std::vector<SettingsLine>> settings = ReadSettings();
    if (!settings) {
      return std::nullopt;
    }
    if (!settings->empty()) {
      arguments = ParseArguments(argc, argv, *settings);
    }
  }
  if (arguments.errorLine > 0) {
    ReportSettingsFault(arguments.errorLine, arguments.error);
    return std::nullopt;
  }
  if (!arguments.error.empty()) {
    Say(arguments.error + " (usage: cmdtail [OPTIONS] [FILE]...; see cmdtail --help)");
    return std::nullopt;
  }
  return arguments;
}

// Says which expression of the option could not be compiled, and why; false then.
bool ExpressionsCompiled(const TextPatterns& patterns, const OptionTexts& given) {
  std::optional<std::pair<std::size_t, std::string>> fault = patterns.decoded.Fault();
  if (!fault && patterns.raw) {
    fault = patterns.raw->Fault();
  }
  if (!fault) {
    return true;
  }
  const auto& [index, reason] = *fault;
  const std::string what = "invalid regular expression '" + given.texts[index] + "': " + reason;
  if (given.lines[index] > 0) {
    ReportSettingsFault(given.lines[index], what);
  } else {
    Say(VisibleText(what, true, true));
  }
  return false;
}

bool WantsColour(ColourMode mode, platform::Session& session) {
  if (mode == ColourMode::kNever) {
    return false;
  }
  if (mode == ColourMode::kAuto) {
    const char* noColour = std::getenv("NO_COLOR");
    if (!platform::OutputIsTerminal() || (noColour != nullptr && *noColour != '\0')) {
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

RunConfig::Action ActionOf(Arguments::Action action) {
  switch (action) {
    case Arguments::Action::kHelp:
      return RunConfig::Action::kHelp;
    case Arguments::Action::kVersion:
      return RunConfig::Action::kVersion;
    case Arguments::Action::kShow:
      break;
  }
  return RunConfig::Action::kShow;
}

// Context, records and levels as the options ask for them; false after saying why the record start's
// expression cannot be used.
bool SelectFrom(const Arguments& arguments, Selection& selection) {
  selection.after = arguments.afterContext.value_or(arguments.context.value_or(0));
  selection.before = arguments.beforeContext.value_or(arguments.context.value_or(0));
  selection.separated = arguments.afterContext || arguments.beforeContext || arguments.context;
  selection.level = arguments.level;
  if (!arguments.records) {
    return true;
  }
  const OptionTexts dated{{kDatedLine}, true, {0}};
  const OptionTexts& start = arguments.recordStart.texts.empty() ? dated : arguments.recordStart;
  selection.recordStart = PatternsOf({&start}, arguments.ignoreCase, Patterns::Syntax::kExpressions);
  return ExpressionsCompiled(*selection.recordStart, start);
}

}  // namespace

std::optional<RunConfig> ResolveRun(int argc, char* argv[], platform::Session& session) {
  const std::optional<Arguments> arguments = ReadArguments(argc, argv);
  if (!arguments) {
    return std::nullopt;
  }
  RunConfig run;
  run.action = ActionOf(arguments->action);
  if (run.action != RunConfig::Action::kShow) {
    return run;
  }
  const std::optional<AskedEncoding> encoding = EncodingOf(*arguments);
  if (encoding &&
      platform::OpenConverter(encoding->name.c_str(), platform::OutputCharset().c_str()) == nullptr) {
    Say("unknown encoding " + encoding->name + (encoding->fromEnvironment ? " (from CMDTAIL_ENCODING)" : ""));
    return std::nullopt;
  }
  const bool ignoreCase = arguments->ignoreCase;
  run.files = arguments->files;
  run.show = {.lineCount = arguments->lineCount,
              .fromLine = arguments->fromLine,
              .follow = arguments->follow,
              .rollover = arguments->rollover};
  OutputSettings& output = run.output;
  if (encoding) {
    output.encoding = encoding->name;
  }
  output.colour = WantsColour(arguments->colour, session);
  output.visible = !arguments->raw && platform::OutputIsTerminal();
  output.headers = WantsHeaders(*arguments);
  const Patterns::Syntax syntax =
      arguments->regex ? Patterns::Syntax::kExpressions : Patterns::Syntax::kFixed;
  const std::pair<TextPatterns*, const OptionTexts*> options[] = {
      {&output.highlights, &arguments->highlights},
      {&output.greps, &arguments->greps},
      {&output.excludes, &arguments->excludes},
      {&output.alerts, &arguments->alerts}};
  for (const auto& [patterns, given] : options) {
    *patterns = PatternsOf({given}, ignoreCase, syntax);
    if (!ExpressionsCompiled(*patterns, *given)) {
      return std::nullopt;
    }
  }
  output.highlightsWithAlerts = PatternsOf({&arguments->highlights, &arguments->alerts}, ignoreCase, syntax);
  if (!SelectFrom(*arguments, output.selection)) {
    return std::nullopt;
  }
  // Alerts are the terminal's: into a pipe or a file the bytes stay the log's.
  run.alerting = arguments->follow && !output.alerts.empty() && platform::OutputIsTerminal();
  return run;
}

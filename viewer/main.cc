// cmdtail [OPTIONS] [FILE]...: shows the last lines of each FILE and, with -f, everything appended to
// them until stopped; --help lists the options.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "follow/tail.h"
#include "options/option_table.h"
#include "options/run_config.h"
#include "options/settings_file.h"
#include "output/alarm.h"
#include "output/messages.h"
#include "platform/charset_converter.h"
#include "platform/files.h"
#include "platform/output_sink.h"
#include "platform/program_entry.h"
#include "platform/stop.h"
#include "platform/terminal.h"

namespace {

// The status after text written through the C library's standard output: 1, said on standard error,
// when it could not all be written.
int EndOfText() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
    return 0;
  }
  ReportOutputFailure(std::strerror(errno));
  return 1;
}

// cmdtail's own text with a name in it, as a header goes out: every character of it on a console, and
// elsewhere in the system's character set.
int WriteNamingText(const std::string& text) {
  std::fflush(stdout);
  if (const std::unique_ptr<platform::OutputSink> console = platform::OpenConsoleText()) {
    console->Write(text);
  } else {
    std::fputs(platform::InSystemCharset(text).c_str(), stdout);
  }
  return EndOfText();
}

int ShowHelp() {
  std::fputs(UsageText().c_str(), stdout);
  const std::string settings = platform::PathBesideProgram(kSettingsFileName);
  return WriteNamingText(
      "Settings: " + (settings.empty() ? "none (the program's own path is unknown)" : settings) +
      ", one long option a line without its --; the command line takes precedence.\n");
}

int Run(int argc, char* argv[]) {
  // Whatever it changes of the terminal is put back as the session ends, with the run.
  platform::Session session;
  const std::optional<RunConfig> run = ResolveRun(argc, argv, session);
  if (!run) {
    return 2;
  }
  switch (run->action) {
    case RunConfig::Action::kHelp:
      return ShowHelp();
    case RunConfig::Action::kVersion:
      std::printf("cmdtail %s\n", CMDTAIL_VERSION);
      return EndOfText();
    case RunConfig::Action::kShow:
      break;
  }
  if (!platform::PrepareProcess()) {
    Say("cannot prepare the process: " + platform::LastErrorText());
    return 1;
  }
  platform::StandardOutput terminalOutput;
  Alarm alarm(terminalOutput);
  return Tail(run->files, run->output, run->alerting ? &alarm : nullptr, session).Run(run->show);
}

}  // namespace

int ProgramMain(int argc, char* argv[]) {
  const int status = Run(argc, argv);
  if (status != 0) {
    platform::HoldErrorInView();
  }
  return status;
}

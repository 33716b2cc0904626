// cmdtail [OPTIONS] [FILE]...: shows the last lines of each FILE and, with -f, everything appended to
// them until stopped; --help lists the options.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "arguments.h"
#include "charset_converter.h"
#include "tail.h"
#include "terminal.h"
#include "viewer_platform.h"

namespace {

// The option's value, else the environment's CMDTAIL_ENCODING, else none.
const char* EncodingOf(const Arguments& arguments) {
  if (arguments.encoding != nullptr) {
    return arguments.encoding;
  }
  const char* fromEnvironment = std::getenv("CMDTAIL_ENCODING");
  return fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : nullptr;
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
  std::fprintf(stderr, "cmdtail: cannot write standard output: %s\n", std::strerror(errno));
  return 1;
}

int Run(const Arguments& arguments) {
  if (!arguments.error.empty()) {
    std::fprintf(stderr, "cmdtail: %s (usage: cmdtail [OPTIONS] [FILE]...; see cmdtail --help)\n",
                 arguments.error.c_str());
    return 2;
  }
  if (arguments.action == Arguments::Action::kHelp) {
    std::fputs(kUsageText, stdout);
    return EndOfText();
  }
  if (arguments.action == Arguments::Action::kVersion) {
    std::printf("cmdtail %s\n", CMDTAIL_VERSION);
    return EndOfText();
  }
  const char* encoding = EncodingOf(arguments);
  if (encoding != nullptr && OpenConverter(encoding, OutputCharset().c_str()) == nullptr) {
    std::fprintf(stderr, "cmdtail: unknown encoding %s\n", encoding);
    return 2;
  }
  // Whatever it changes of the terminal is put back as the session ends, with the run.
  terminal::Session session;
  // cppcheck-suppress unreadVariable
  const OutputSettings settings{.encoding = encoding,
                                .colour = WantsColour(arguments.colour, session),
                                .visible = !arguments.raw && terminal::OutputIsTerminal(),
                                .headers = WantsHeaders(arguments)};
  if (!viewer_platform::PrepareProcess()) {
    std::fprintf(stderr, "cmdtail: cannot prepare the process: %s\n",
                 viewer_platform::LastErrorText().c_str());
    return 1;
  }
  return Tail(arguments.files, settings, session)
      .Run({.lineCount = arguments.lineCount,
            .fromLine = arguments.fromLine,
            .follow = arguments.follow,
            .rollover = arguments.rollover});
}

}  // namespace

int main(int argc, char* argv[]) {
  const int status = Run(ParseArguments(argc, argv));
  if (status != 0) {
    terminal::HoldErrorInView();
  }
  return status;
}

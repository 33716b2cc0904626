#include "output/messages.h"

#include <cstdio>

#include "platform/terminal.h"
#include "text/visible_text.h"

namespace {

// One line on standard error; on a terminal with its control characters (a file's name may hold any)
// shown visibly, as the log's text is.
void Say(const std::string& line) {
  const std::string shown =
      terminal::ErrorIsTerminal() ? VisibleText(line, terminal::ReadsUtf8(false)) : line;
  std::fprintf(stderr, "cmdtail: %s\n", shown.c_str());
}

}  // namespace

void Report(const std::string& name, const char* what, const std::string& detail) {
  Say(detail.empty() ? name + ": " + what : what + (" " + name) + ": " + detail);
}

void ReportOutputFailure(const std::string& reason) { Say("cannot write standard output: " + reason); }

#include "output/messages.h"

#include "platform/output.h"
#include "platform/terminal.h"
#include "text/visible_text.h"

void Say(const std::string& what) {
  // On a terminal a file's name, which may hold any byte, is shown visibly, as the log's text is.
  const std::string shown = platform::ErrorIsTerminal() ? VisibleText(what, platform::ReadsUtf8(true)) : what;
  platform::WriteErrorLine("cmdtail: " + shown);
}

void Report(const std::string& name, const char* what, const std::string& detail) {
  Say(detail.empty() ? name + ": " + what : what + (" " + name) + ": " + detail);
}

void ReportOutputFailure(const std::string& reason) { Say("cannot write standard output: " + reason); }

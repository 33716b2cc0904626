#include "output/messages.h"

#include "platform/output.h"

void Say(const std::string& what) { viewer_platform::WriteErrorLine("cmdtail: " + what); }

void Report(const std::string& name, const char* what, const std::string& detail) {
  Say(detail.empty() ? name + ": " + what : what + (" " + name) + ": " + detail);
}

void ReportOutputFailure(const std::string& reason) { Say("cannot write standard output: " + reason); }

#include "output/messages.h"

#include <cstdio>

void Report(const std::string& name, const char* what, const std::string& detail) {
  if (detail.empty()) {
    std::fprintf(stderr, "cmdtail: %s: %s\n", name.c_str(), what);
  } else {
    std::fprintf(stderr, "cmdtail: %s %s: %s\n", what, name.c_str(), detail.c_str());
  }
}

void ReportOutputFailure(const std::string& reason) {
  std::fprintf(stderr, "cmdtail: cannot write standard output: %s\n", reason.c_str());
}

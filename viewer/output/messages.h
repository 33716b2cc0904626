#pragma once

#include <string>

// Messages on standard error about the files shown and about standard output; on a terminal their
// control characters are shown visibly, so that a file's name cannot drive it.

// The name that stands for standard input in messages and headers.
inline constexpr const char* kStandardInputShownName = "standard input";

// "cmdtail: what", one line. On Windows the text is UTF-8, as the program's arguments are read, and
// every character of it shows on a console.
void Say(const std::string& what);

// "cmdtail: NAME: what", or with the system's reason, "cmdtail: what NAME: detail".
void Report(const std::string& name, const char* what, const std::string& detail = {});

// "cmdtail: cannot write standard output: REASON".
void ReportOutputFailure(const std::string& reason);

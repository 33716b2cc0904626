// Writes cmdtail's bash completion to standard output, for the build to install beside the program.
#include <cstdio>

#include "options/completion.h"

int main() { return std::fputs(BashCompletion().c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1; }

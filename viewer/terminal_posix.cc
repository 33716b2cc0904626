#include <unistd.h>

#include "terminal.h"

namespace terminal {

bool OutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

bool EnableColour() { return true; }

std::unique_ptr<OutputSink> OpenConsoleText() { return nullptr; }

}  // namespace terminal

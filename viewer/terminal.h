#pragma once

#include <memory>

#include "output_sink.h"

// What the output stages need to know of standard output, per platform.
namespace terminal {

// True when standard output is a terminal (a console on Windows).
bool OutputIsTerminal();
// Readies a terminal on standard output for colour escape sequences; false where it cannot show them.
// Output that is no terminal takes them as bytes.
bool EnableColour();
// Where decoded text goes: on a Windows console, its wide-character output, so the text is right
// whatever the console's code page; elsewhere null, as the text goes to standard output as bytes.
std::unique_ptr<OutputSink> OpenConsoleText();

}  // namespace terminal

#include "platform/terminal.h"

#include <unistd.h>

#include "platform/charset_converter.h"

namespace platform {

bool OutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

bool ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

// Decoded text is written in the locale's set, which is also what the terminal is taken to read.
bool ReadsUtf8(bool /*decoded*/) { return CanonicalCharsetName(OutputCharset()) == "UTF8"; }

std::unique_ptr<OutputSink> OpenConsoleText() { return nullptr; }

// A POSIX terminal takes colour as it is, and its title is left alone.
struct Session::Saved {};

Session::Session() = default;

Session::~Session() = default;

bool Session::EnableColour() { return true; }  // NOLINT(readability-convert-member-functions-to-static)

void Session::SetTitle(const std::string& /*text*/) {
}  // NOLINT(readability-convert-member-functions-to-static)

void FlashUntilInFront() {}

void HoldErrorInView() {}

}  // namespace platform

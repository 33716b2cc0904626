#pragma once

#include <memory>
#include <string>

#include "platform/output_sink.h"

// What the output stages need to know of standard output, and what cmdtail changes of its terminal,
// per platform.
namespace platform {

// True when standard output is a terminal (a console on Windows).
bool OutputIsTerminal();
// True when standard error is a terminal (a console on Windows).
bool ErrorIsTerminal();
// True when the terminal reads what is written to it as UTF-8: decoded text (`decoded`) or the log's
// raw bytes.
bool ReadsUtf8(bool decoded);
// Where decoded text goes: on a Windows console, its wide-character output, so the text is right
// whatever the console's code page; elsewhere null, as the text goes to standard output as bytes.
std::unique_ptr<OutputSink> OpenConsoleText();

// What cmdtail changes of the terminal on standard output, put back when the session ends, however
// cmdtail ends: on Windows the console's output mode and its title. Nothing on POSIX.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Readies the terminal for colour escape sequences; false where it cannot show them. Output that is
  // no terminal takes them as bytes.
  bool EnableColour();
  // Titles the console "TEXT - cmdtail" while it follows: the followed names, and the alerts raised.
  void SetTitle(const std::string& text);

 private:
  // What was found, to be put back; per platform.
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

// Flashes the taskbar button of the console's window until the window comes to the front, to draw the
// eye to an alert. Nothing on POSIX, nor where the console has no window.
void FlashUntilInFront();

// Before an error ends cmdtail in a console window of its own, which closes with it, asks for a key and
// waits for one, at most ten seconds, so that the error can be read; only when standard error is that
// console, as an error written elsewhere is not on the screen. Nothing on POSIX.
void HoldErrorInView();

}  // namespace platform

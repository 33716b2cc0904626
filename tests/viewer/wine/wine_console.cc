#include "wine_console.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

}  // namespace

ConsoleWindow::ConsoleWindow(const std::string& command)
    : socket_("cmdtail-test-" + std::to_string(getpid())) {
  Tmux("new-session -d -x 150 -y 30 " + Quoted(command + "; echo status=$?; sleep 60"));
}

ConsoleWindow::~ConsoleWindow() { Tmux("kill-server"); }

bool ConsoleWindow::WaitFor(const std::function<bool(const ConsoleWindow&)>& done,
                            std::chrono::milliseconds limit) const {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done(*this)) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    usleep(50000);
  }
  return true;
}

bool ConsoleWindow::WaitForScreen(const std::string& text, std::chrono::milliseconds limit) const {
  return WaitFor([&](const ConsoleWindow& window) { return window.Screen().find(text) != std::string::npos; },
                 limit);
}

bool ConsoleWindow::WaitForConsoleInput(std::chrono::milliseconds limit) const {
  const std::string terminal = Tmux("display -p '#{pane_tty}'");
  const std::string modes = "stty -a -F " + terminal.substr(0, terminal.find('\n'));
  return WaitFor([&](const ConsoleWindow&) { return Run(modes).find(" -icanon ") != std::string::npos; },
                 limit);
}

std::string ConsoleWindow::Run(const std::string& command) {
  FILE* output = popen((command + " 2>/dev/null").c_str(), "r");
  std::string text;
  char block[4096];
  for (std::size_t count = 0;
       output != nullptr && (count = std::fread(block, 1, sizeof block, output)) > 0;) {
    text.append(block, count);
  }
  if (output != nullptr) {
    pclose(output);
  }
  return text;
}

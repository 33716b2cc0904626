#include "wine_console.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <stdexcept>

namespace {

// Each window's tmux server has a socket of its own, so that no window meets another's dying server.
std::atomic<int> g_windows{0};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

}  // namespace

ConsoleWindow::ConsoleWindow(const std::string& command)
    : socket_("cmdtail-test-" + std::to_string(getpid()) + "-" + std::to_string(g_windows++)) {
  std::string said;
  if (Capture("tmux -u -L " + socket_ + " new-session -d -x 150 -y 30 " +
                  Quoted(command + "; echo status=$?; sleep 60") + " 2>&1",
              said) != 0) {
    throw std::runtime_error("tmux cannot open the window: " + said);
  }
}

// Returns once the server has gone, so that nothing of it outlives the window.
ConsoleWindow::~ConsoleWindow() {
  Tmux("kill-server");
  WaitFor([](const ConsoleWindow& window) { return !window.IsOpen(); }, 10s);
}

bool ConsoleWindow::IsOpen() const {
  std::string said;
  return Capture("tmux -L " + socket_ + " has-session 2>/dev/null", said) == 0;
}

// A window that has gone ends the wait at once: nothing more can show in it.
bool ConsoleWindow::WaitFor(const std::function<bool(const ConsoleWindow&)>& done,
                            std::chrono::milliseconds limit) const {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done(*this)) {
    if (std::chrono::steady_clock::now() > deadline || !IsOpen()) {
      return done(*this);
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
  std::string text;
  Capture(command + " 2>/dev/null", text);
  return text;
}

int ConsoleWindow::Capture(const std::string& command, std::string& output) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return -1;
  }
  char block[4096];
  for (std::size_t count = 0; (count = std::fread(block, 1, sizeof block, pipe)) > 0;) {
    output.append(block, count);
  }
  return pclose(pipe);
}

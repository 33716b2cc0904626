#pragma once

#include <chrono>
#include <functional>
#include <string>

using std::chrono_literals::operator""s;

// A console window of its own for a command run under Wine: a terminal of tmux, whose screen and title
// can be read and to which keys can be sent. Wine gives a program started on a terminal a console.
class ConsoleWindow {
 public:
  explicit ConsoleWindow(const std::string& command);
  ~ConsoleWindow();
  ConsoleWindow(const ConsoleWindow&) = delete;
  ConsoleWindow& operator=(const ConsoleWindow&) = delete;

  [[nodiscard]] std::string Screen() const { return Tmux("capture-pane -p"); }
  [[nodiscard]] std::string Title() const { return Tmux("display -p '#{pane_title}'"); }
  void Press(const std::string& keys) const { Tmux("send-keys " + keys); }
  // True once `done` holds of the window; false when time runs out.
  bool WaitFor(const std::function<bool(const ConsoleWindow&)>& done, std::chrono::milliseconds limit) const;
  bool WaitForScreen(const std::string& text, std::chrono::milliseconds limit = 60s) const;
  // True once Wine's console reads the terminal's keys itself (the terminal is out of canonical mode),
  // so that keys pressed from then on reach the program as console input events.
  bool WaitForConsoleInput(std::chrono::milliseconds limit = 60s) const;

 private:
  // tmux -u keeps the screen's and the title's UTF-8 whatever the tests' locale.
  std::string Tmux(const std::string& arguments) const {
    return Run("tmux -u -L " + socket_ + " " + arguments);
  }
  // Whether the window's tmux server still has it.
  [[nodiscard]] bool IsOpen() const;
  // A command's standard output.
  static std::string Run(const std::string& command);
  // A shell command's status, its standard output in `output`.
  static int Capture(const std::string& command, std::string& output);

  std::string socket_;
};

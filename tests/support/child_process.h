#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "test_files.h"

using std::chrono_literals::operator""ms;
using std::chrono_literals::operator""s;

struct ChildOptions {
  // Standard input is a pipe fed by WriteIn() and ended by CloseIn(), instead of /dev/null.
  bool pipeIn = false;
  // Writes to standard output fail with EAGAIN instead of blocking while the pipe is full.
  bool nonBlockingOut = false;
  // Standard output is a pipe whose reader has gone before the program starts.
  bool closedOut = false;
  // Where the program starts; empty for the test's own working directory.
  std::string workDirectory = {};
  // The program's own children outlive it (a launcher's): it is not started in a process group of its
  // own, and only it is killed at the end.
  bool childrenOutliveIt = false;
};

// A program started, by default, in a process group of its own, its standard output and error read
// through pipes; a program named without a slash is looked up along the search path. Every wait is
// bounded; the destructor kills whatever is left of the group and reaps it.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv, ChildOptions options = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // True once standard output is exactly `expected`; false when it grows past it or time runs out.
  bool WaitForOut(const std::string& expected, std::chrono::milliseconds limit = 5s);
  bool WaitForErrContaining(const std::string& text, std::chrono::milliseconds limit = 5s);
  // Keeps reading output for a while, so that anything printed late shows.
  void ReadFor(std::chrono::milliseconds period);
  // The exit status, or empty when the program did not exit normally in time.
  std::optional<int> WaitForExit(std::chrono::milliseconds limit = 5s);
  // How long the program ran, from its start until it was found to have exited.
  [[nodiscard]] std::chrono::steady_clock::duration runTime() const { return runTime_; }
  void SignalGroup(int signal) const;
  // Stops reading standard output, as a reader that has gone away.
  void CloseOut();
  // Leaves standard output unread, so that its pipe fills up, until ResumeOut().
  void PauseOut() { outPaused_ = true; }
  void ResumeOut() { outPaused_ = false; }
  // True while the program waits inside a write to a full pipe, or in a poll (for a full non-blocking
  // pipe to take bytes, when nothing else is waited for) (Linux).
  [[nodiscard]] bool IsWaitingForItsOutput() const;
  // True while the program sleeps in a poll, as it does waiting for what it follows to change (Linux).
  [[nodiscard]] bool IsPolling() const;
  // True while `signal` has been sent to the program but not yet taken by it (Linux).
  [[nodiscard]] bool HasPending(int signal) const;
  void WriteIn(const std::string& bytes);
  void CloseIn();
  // True once `done` holds, reading output meanwhile; false when time runs out.
  bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s);
  // True while the program has `path` open (under that name, or deleted).
  [[nodiscard]] bool HasOpen(const std::string& path) const;

  // The program's process id, which is also its process group's.
  [[nodiscard]] pid_t pid() const { return pid_; }
  [[nodiscard]] const std::string& out() const { return out_; }
  [[nodiscard]] const std::string& err() const { return err_; }

 private:
  // Where in the kernel the program sleeps (Linux).
  [[nodiscard]] std::string WaitChannel() const;
  // Reads what arrives within `limit` (at most a tenth of a second at a time).
  void Pump(std::chrono::milliseconds limit);
  bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

  pid_t pid_ = -1;
  bool ownGroup_ = true;
  bool reaped_ = false;
  int status_ = 0;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::duration runTime_{};
  int inPipe_ = -1;
  int outPipe_ = -1;
  bool outPaused_ = false;
  int errPipe_ = -1;
  std::string out_;
  std::string err_;
};

// Appends a marker line to `file`, which the program follows, and tells whether its output then becomes
// exactly `shown` and the marker: that nothing else came before the marker.
bool ShowsNothingMoreThan(ChildProcess& program, const std::string& file, const std::string& shown,
                          std::chrono::milliseconds limit = 5s);

#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <span>
#include <string>

#include "platform/files.h"

// Waiting for changes to files, one source per system (posix/, win32/).
namespace platform {

// Waits for changes to the files followed under a set of names. Each name is watched with the files
// open for it, and every directory it passes through to reach its file, wherever that lives. Where
// notification cannot be trusted (a remote or FUSE file system, a name that leads nowhere, a lost
// watch) waiting polls, and watches are set again.
// How often waiting looks at the files where no notification tells of their changes, in milliseconds.
inline constexpr int kPollMilliseconds = 100;

// The earlier of two limits of a wait in milliseconds, negative for none.
constexpr int EarlierLimit(int one, int other) {
  return one < 0 ? other : other < 0 ? one : (one < other ? one : other);
}

class ChangeWaiter {
 public:
  ChangeWaiter();
  ~ChangeWaiter();
  ChangeWaiter(const ChangeWaiter&) = delete;
  ChangeWaiter& operator=(const ChangeWaiter&) = delete;

  // A new name to watch; returns its key.
  std::size_t Add();
  // Points notification for the name under `key` at `path` and its open files, replacing what it
  // watched before.
  void Watch(std::size_t key, const std::string& path, std::span<const FileHandle> openFiles);
  // Wakes the waits at `moment` on the system's clock, and whenever the clock is set or the local time
  // zone changes, until it is called again.
  void WakeAt(std::chrono::system_clock::time_point moment);
  // Returns when a watched file or directory may have changed, at the latest after a short poll
  // interval where notification is unavailable or after limitMilliseconds (no limit when negative), at
  // the moment to wake at, or as soon as a stop is requested or the output's reader goes away.
  void Wait(int limitMilliseconds);
  // Since the last wait, or before the first: what the name under `key` stands for may have changed,
  // as its directories, its files or the lack of notification say.
  [[nodiscard]] bool NameMayHaveChanged(std::size_t key) const;
  // Since the last wait, or before the first: the moment to wake at passed, or the clock or the zone
  // changed.
  [[nodiscard]] bool TimeMayHaveChanged() const;
  // The last wait saw the output's reader go away.
  [[nodiscard]] bool OutputGone() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform

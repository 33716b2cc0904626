#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

#include "platform/output.h"
#include "platform/output_sink.h"

// What the lines that raise alerts do, for all files together: each is counted, and the terminal's bell
// rings (on a Windows console, its window's taskbar button flashes too) at most once in kBellInterval,
// so that a burst of them rings once.
class Alarm {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kBellInterval{2};

  // The bell is written to `terminal`.
  explicit Alarm(platform::OutputSink& terminal) : terminal_(terminal) {}

  // `lines` more lines, shown at `now`, raise an alert.
  platform::WriteResult Raise(std::size_t lines, Clock::time_point now = Clock::now());
  // The alerts raised since the start.
  [[nodiscard]] std::size_t count() const { return count_; }

 private:
  platform::OutputSink& terminal_;
  std::size_t count_ = 0;
  std::optional<Clock::time_point> lastBell_;
};

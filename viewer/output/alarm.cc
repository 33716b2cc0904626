#include "output/alarm.h"

#include <string_view>

#include "platform/output.h"
#include "platform/terminal.h"

platform::WriteResult Alarm::Raise(std::size_t lines, Clock::time_point now) {
  count_ += lines;
  if (lastBell_ && now - *lastBell_ < kBellInterval) {
    return platform::WriteResult::kWritten;
  }
  lastBell_ = now;
  const platform::WriteResult result = terminal_.Write(std::string_view("\a"));
  if (result == platform::WriteResult::kWritten) {
    platform::FlashUntilInFront();
  }
  return result;
}

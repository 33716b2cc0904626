#include "output/alarm.h"

#include <string_view>

#include "platform/output.h"
#include "platform/terminal.h"

namespace vp = viewer_platform;

vp::WriteResult Alarm::Raise(std::size_t lines, Clock::time_point now) {
  count_ += lines;
  if (lastBell_ && now - *lastBell_ < kBellInterval) {
    return vp::WriteResult::kWritten;
  }
  lastBell_ = now;
  const vp::WriteResult result = terminal_.Write(std::string_view("\a"));
  if (result == vp::WriteResult::kWritten) {
    terminal::FlashUntilInFront();
  }
  return result;
}

#include "output/alert_stage.h"

#include <algorithm>
#include <utility>

#include "platform/output.h"

namespace vp = viewer_platform;

vp::WriteResult AlertStage::Write(std::span<const char> bytes) {
  const vp::WriteResult written = next_.Write(bytes);
  return RaiseAfter(written, AlertsIn({bytes.data(), bytes.size()}));
}

vp::WriteResult AlertStage::EndOfFile() {
  const vp::WriteResult written = next_.EndOfFile();
  return RaiseAfter(written, EndLine());
}

// Only lines that went out raise alerts.
vp::WriteResult AlertStage::RaiseAfter(vp::WriteResult written, std::size_t alerts) {
  return written == vp::WriteResult::kWritten && alerts > 0 ? alarm_.Raise(alerts) : written;
}

// The whole lines are searched a block at a time; the line under way a line at a time, once whole.
std::size_t AlertStage::AlertsIn(std::string_view bytes) {
  std::size_t alerts = 0;
  if (!line_.empty() || judged_) {
    const std::size_t newline = bytes.find('\n');
    alerts += Extend(bytes.substr(0, newline));
    if (newline == std::string_view::npos) {
      return alerts;
    }
    alerts += EndLine();
    bytes.remove_prefix(newline + 1);
  }
  const std::size_t whole = bytes.rfind('\n') + 1;
  alerts += armed_ ? AlertsInWholeLines(bytes.substr(0, whole)) : 0;
  return alerts + Extend(bytes.substr(whole));
}

std::size_t AlertStage::AlertsInWholeLines(std::string_view lines) const {
  std::size_t alerts = 0;
  alertLines_->ForEachShownRun(lines, [&](std::size_t start, std::size_t end) {
    alerts += static_cast<std::size_t>(std::count(lines.begin() + static_cast<std::ptrdiff_t>(start),
                                                  lines.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    return true;
  });
  return alerts;
}

std::size_t AlertStage::Extend(std::string_view piece) {
  if (judged_) {
    return 0;
  }
  if (line_.size() + piece.size() <= kLongestAlertLine) {
    line_.append(piece);
    return 0;
  }
  line_.append(piece.substr(0, kLongestAlertLine - line_.size()));
  judged_ = true;
  if (armed_ && !std::exchange(noted_, true)) {
    notes_.Note("a line longer than 1 MiB is searched for alerts in its first 1 MiB");
  }
  const bool alert = RaisesAlert(line_);
  line_.clear();
  return alert ? 1 : 0;
}

std::size_t AlertStage::EndLine() {
  const bool alert = !judged_ && RaisesAlert(line_);
  line_.clear();
  judged_ = false;
  return alert ? 1 : 0;
}

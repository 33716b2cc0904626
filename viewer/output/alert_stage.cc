#include "output/alert_stage.h"

#include <algorithm>
#include <utility>

#include "platform/output.h"

platform::WriteResult AlertStage::Write(std::span<const char> bytes) {
  const platform::WriteResult written = next_.Write(bytes);
  held_.Take({bytes.data(), bytes.size()});
  return RaiseAfter(written);
}

platform::WriteResult AlertStage::EndOfFile() {
  const platform::WriteResult written = next_.EndOfFile();
  held_.End();
  return RaiseAfter(written);
}

// Only lines that went out raise alerts.
platform::WriteResult AlertStage::RaiseAfter(platform::WriteResult written) {
  const std::size_t alerts = std::exchange(alerts_, 0);
  return written == platform::WriteResult::kWritten && alerts > 0 ? alarm_.Raise(alerts) : written;
}

// The whole lines are searched a block at a time.
platform::WriteResult AlertStage::PutLines(std::string_view lines) {
  if (!armed_) {
    return platform::WriteResult::kWritten;
  }
  if (recordStart_ != nullptr) {
    while (!lines.empty()) {
      const std::size_t end = std::min(lines.find('\n'), lines.size());
      CountAlertOf(lines.substr(0, end));
      lines.remove_prefix(std::min(end + 1, lines.size()));
    }
    return platform::WriteResult::kWritten;
  }
  alertLines_.ForEachShownRun(lines, [&](std::size_t start, std::size_t end) {
    const std::string_view run = lines.substr(start, end - start);
    alerts_ +=
        static_cast<std::size_t>(std::count(run.begin(), run.end(), '\n')) + (run.ends_with('\n') ? 0 : 1);
    return true;
  });
  return platform::WriteResult::kWritten;
}

void AlertStage::TooLong(std::string_view start) {
  if (!armed_) {
    return;
  }
  if (!std::exchange(noted_, true)) {
    notes_.Note("a line longer than 1 MiB is searched for alerts in its first 1 MiB");
  }
  if (recordStart_ != nullptr) {
    CountAlertOf(start);
  } else {
    alerts_ += alertLines_.Shows(start) ? 1 : 0;
  }
}

void AlertStage::CountAlertOf(std::string_view line) {
  if (recordStart_->FoundIn(line)) {
    recordAlerted_ = false;
  }
  if (!recordAlerted_ && alertLines_.Shows(line)) {
    recordAlerted_ = true;
    ++alerts_;
  }
}

#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "output/alarm.h"
#include "output/line_filter.h"
#include "output/note_sink.h"
#include "platform/output.h"
#include "platform/output_sink.h"

// The longest start of a line that is searched for an alert's text; a longer line is judged by it.
inline constexpr std::size_t kLongestAlertLine = std::size_t{1024} * 1024;

// Raises an alert for each whole line holding an alert's text that ends once the stage is armed, after
// the line has gone on. The bytes go on at once and unchanged: the line under way is only kept aside
// until its end comes, up to kLongestAlertLine; a longer line is judged by its start, noted once.
class AlertStage final : public OutputSink {
 public:
  // `alertLines` shows the lines that hold an alert's text.
  AlertStage(const LineFilter& alertLines, Alarm& alarm, NoteSink& notes, OutputSink& next)
      : alertLines_(&alertLines), alarm_(alarm), notes_(notes), next_(next) {}

  // The alerts' texts in the form of the text that comes.
  void UseLines(const LineFilter& alertLines) { alertLines_ = &alertLines; }
  // The lines gone on so far were the start's; those that end from now on raise alerts.
  void Arm() { armed_ = true; }

  viewer_platform::WriteResult Write(std::span<const char> bytes) override;
  // The line under way is whole at the end of its file.
  viewer_platform::WriteResult EndOfFile() override;
  viewer_platform::WriteResult Idle() override { return next_.Idle(); }
  void WriteAtEnd(std::string_view bytes) override { next_.WriteAtEnd(bytes); }

 private:
  // The alerts that the bytes raise; what follows their last line end is kept as the line under way.
  std::size_t AlertsIn(std::string_view bytes);
  [[nodiscard]] std::size_t AlertsInWholeLines(std::string_view lines) const;
  // Adds to the line under way; 1 when that makes it too long and its start raises an alert.
  std::size_t Extend(std::string_view piece);
  // Ends the line under way; 1 when it raises an alert.
  std::size_t EndLine();
  [[nodiscard]] bool RaisesAlert(std::string_view line) const { return armed_ && alertLines_->Shows(line); }
  viewer_platform::WriteResult RaiseAfter(viewer_platform::WriteResult written, std::size_t alerts);

  const LineFilter* alertLines_;
  Alarm& alarm_;
  NoteSink& notes_;
  OutputSink& next_;
  bool armed_ = false;
  std::string line_;
  // The line under way was too long, and has been judged by its start.
  bool judged_ = false;
  bool noted_ = false;
};

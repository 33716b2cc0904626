#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "output/alarm.h"
#include "output/held_line.h"
#include "output/line_filter.h"
#include "output/note_sink.h"
#include "platform/output.h"
#include "platform/output_sink.h"

// The longest start of a line that is searched for an alert's text; a longer line is judged by it.
inline constexpr std::size_t kLongestAlertLine = std::size_t{1024} * 1024;

// Raises an alert for each whole line holding an alert's text that ends once the stage is armed, after
// the line has gone on. The bytes go on at once and unchanged: the line under way is only held aside
// until its end comes, up to kLongestAlertLine; a longer line is judged by its start, noted once.
class AlertStage final : public platform::OutputSink, HeldLine::Receiver {
 public:
  // `alertLines` shows the lines that hold an alert's text; `armed`: the start's lines have gone on. With
  // `recordStart`, a record raises one alert however many of its lines hold an alert's text.
  AlertStage(const LineFilter& alertLines, const Patterns* recordStart, Alarm& alarm, NoteSink& notes,
             bool armed, platform::OutputSink& next)
      : alertLines_(alertLines),
        recordStart_(recordStart),
        alarm_(alarm),
        notes_(notes),
        next_(next),
        armed_(armed) {}

  // The lines gone on so far were the start's; those that end from now on raise alerts.
  void Arm() { armed_ = true; }

  platform::WriteResult Write(std::span<const char> bytes) override;
  // The line under way is whole at the end of its file.
  platform::WriteResult EndOfFile() override;
  platform::WriteResult Idle() override { return next_.Idle(); }
  void WriteAtEnd(std::string_view bytes) override { next_.WriteAtEnd(bytes); }

 private:
  // Counts the alerts of whole lines, each with its newline but perhaps the last one of a file.
  platform::WriteResult PutLines(std::string_view lines) override;
  // The rest of a line judged by its start.
  platform::WriteResult PutAsItIs(std::string_view /*piece*/) override {
    return platform::WriteResult::kWritten;
  }
  void TooLong(std::string_view start) override;
  // Rings for the alerts counted, once the bytes that raise them went on.
  platform::WriteResult RaiseAfter(platform::WriteResult written);

  // Counts a line's alert, once for its record when there are records.
  void CountAlertOf(std::string_view line);

  const LineFilter& alertLines_;
  const Patterns* recordStart_;
  // The record under way has raised its alert.
  bool recordAlerted_ = false;
  Alarm& alarm_;
  NoteSink& notes_;
  platform::OutputSink& next_;
  bool armed_;
  bool noted_ = false;
  std::size_t alerts_ = 0;
  HeldLine held_{kLongestAlertLine, *this};
};

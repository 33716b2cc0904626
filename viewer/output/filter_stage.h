#pragma once

#include <span>
#include <string_view>

#include "output/held_line.h"
#include "output/line_filter.h"
#include "output/note_sink.h"
#include "output/output_block.h"
#include "platform/output.h"
#include "platform/output_sink.h"

// Passes only the lines the filter shows, whole: the start of a line is held until its end comes
// (never beyond kLongestFilteredLine: a longer line is shown as it is, noted once).
class FilterStage final : public platform::OutputSink, HeldLine::Receiver {
 public:
  FilterStage(const LineFilter& filter, NoteSink& notes, platform::OutputSink& next);

  platform::WriteResult Write(std::span<const char> bytes) override;
  // A held line is whole at the end of its file.
  platform::WriteResult EndOfFile() override;
  // A held line stays held: it is not shown before its end.
  platform::WriteResult Idle() override { return out_.Idle(); }
  void WriteAtEnd(std::string_view bytes) override { out_.WriteAtEnd(bytes); }

 private:
  // Puts the shown lines of whole lines.
  platform::WriteResult PutLines(std::string_view lines) override;
  platform::WriteResult PutAsItIs(std::string_view piece) override { return out_.Put(piece); }
  void TooLong(std::string_view start) override;

  const LineFilter& filter_;
  NoteSink& notes_;
  bool noted_ = false;
  HeldLine held_;
  OutputBlock out_;
};

#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "output/held_line.h"
#include "output/line_filter.h"
#include "output/note_sink.h"
#include "output/output_block.h"
#include "output/output_settings.h"
#include "platform/output.h"
#include "platform/output_sink.h"
#include "text/level.h"

// The most of a record held before it is known to be shown, and kept of one while the last records are
// looked for; past it, the record is decided on what it holds, noted once.
inline constexpr std::size_t kLongestRecord = std::size_t{1024} * 1024;

// What the selection goes by, for one form of a text.
struct SelectionRules {
  const Selection& selection;
  const Patterns& greps;
  const Patterns& excludes;
  // Where a record starts; null: every line is a record of its own.
  const Patterns* recordStart;
};

// Chooses the records to show as a text goes, a record being a line, or with records a line that starts
// one and the lines after it. A record is shown when any of its lines holds a grep text (or there are
// none), none holds an exclude text, and its first line is at the level asked for or above (a line
// without a level word has the level of the line before it). The context around it comes with it, and a
// line "--" stands between groups that are not adjacent, when context was asked for. A record not yet
// known to be shown is held until one of its lines shows it, or it ends; while the text pauses, one that
// its lines so far show goes out. The start's records can be kept instead, the last `count` of them, to
// go out once the start is read.
class SelectStage final : public platform::OutputSink, HeldLine::Receiver {
 public:
  SelectStage(const SelectionRules& rules, NoteSink& notes, platform::OutputSink& next);

  // Keeps the last `count` records shown, from now until ShowKept, instead of showing them. The text
  // began where it is read from, at a line's start but perhaps not at its own start.
  void KeepLast(std::size_t count, bool atTextStart);
  // Whether the records kept are those that reading the whole text would keep: the text's start was
  // read, or enough records were kept after the point where what came before stopped mattering.
  [[nodiscard]] bool KeptExactly() const;
  // Decides the record under way (as at the text's end when `ended`, else as at a pause), then shows the
  // records kept; the next ones go out as they come.
  platform::WriteResult ShowKept(bool ended);

  platform::WriteResult Write(std::span<const char> bytes) override;
  platform::WriteResult EndOfFile() override;
  platform::WriteResult Idle() override;
  void WriteAtEnd(std::string_view bytes) override { out_.WriteAtEnd(bytes); }

 private:
  struct Kept {
    std::size_t record;
    std::string bytes;
  };
  enum class State { kUndecided, kShown, kHidden };

  platform::WriteResult PutLines(std::string_view lines) override;
  platform::WriteResult PutAsItIs(std::string_view piece) override;
  void TooLong(std::string_view start) override;

  platform::WriteResult PutLine(std::string_view line);
  // The line (its text without its line end) starts a record.
  [[nodiscard]] bool StartsRecord(std::string_view text);
  void NoteLevelOf(std::string_view text);
  platform::WriteResult BeginRecord();
  platform::WriteResult EndRecord();
  // The record under way goes out, after the context before it.
  platform::WriteResult ShowRecord();
  // Holds the record's bytes, up to kLongestRecord; past it decides the record on what it holds.
  platform::WriteResult Hold(std::string_view bytes);
  [[nodiscard]] bool Matches() const;
  // Bytes of record `record` go out (or are kept), after "--" where they do not follow what went out.
  platform::WriteResult Show(std::size_t record, std::string_view bytes);
  void Keep(std::size_t record, std::string_view bytes);
  platform::WriteResult Settle();

  SelectionRules rules_;
  NoteSink& notes_;
  bool noted_ = false;
  // The level of the last line that named one.
  std::optional<Level> level_;
  // The record under way: its number (from 1), whether it is known to be shown or not, what its lines
  // held so far, and its bytes while undecided.
  std::size_t record_ = 0;
  State state_ = State::kUndecided;
  bool levelMet_ = true;
  bool grepFound_ = false;
  bool excludeFound_ = false;
  // A line too long to filter is shown whole, and its record with it.
  bool forced_ = false;
  // The record has begun and not yet ended.
  bool open_ = false;
  std::string held_;
  // The last records not shown, for the context before the next shown one.
  std::deque<Kept> before_;
  // Records still to show as context after the last one shown.
  std::size_t afterLeft_ = 0;
  std::size_t lastShown_ = 0;
  bool anyShown_ = false;
  // A line too long to hold goes on as it is: the rest of it belongs to the record under way.
  bool lineUnderWay_ = false;
  // Keeping the start's last records: how many, those kept, and the first record decided as the whole
  // text would decide it.
  std::optional<std::size_t> keepCount_;
  std::deque<Kept> kept_;
  bool atTextStart_ = true;
  std::optional<std::size_t> exactFrom_;
  // A line naming a level, and a line starting a record, came: the levels and records from there on are
  // those of the whole text.
  bool levelKnown_ = true;
  bool recordsKnown_ = true;
  HeldLine heldLine_;
  OutputBlock out_;
};

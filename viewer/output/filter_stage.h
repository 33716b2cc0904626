#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "output/output_block.h"
#include "platform/output_sink.h"
#include "text/patterns.h"

// The lines to show: those holding any of the grep patterns (every line when there are none), and of
// them those holding none of the exclude patterns.
class LineFilter {
 public:
  LineFilter(const Patterns& greps, const Patterns& excludes) : greps_(greps), excludes_(excludes) {}

  [[nodiscard]] bool Filters() const { return !greps_.empty() || !excludes_.empty(); }
  // Whether a whole line, without its line end, is shown.
  [[nodiscard]] bool Shows(std::string_view line) const {
    return (greps_.empty() || greps_.FoundIn(line)) && (excludes_.empty() || !excludes_.FoundIn(line));
  }
  // Calls `run` with each run of consecutive shown lines of `text` (whole lines, each with its line end
  // but perhaps the last), as offsets, in order, until it returns false; false then. The text is searched
  // for the patterns a block at a time, not a line at a time.
  bool ForEachShownRun(std::string_view text,
                       const std::function<bool(std::size_t start, std::size_t end)>& run) const;
  // Adds where each shown line of `text`, whole lines, begins.
  void FindShownLines(std::string_view text, std::vector<std::size_t>& starts) const;

 private:
  const Patterns& greps_;
  const Patterns& excludes_;
  // The text searched, folded when case is ignored; kept between searches.
  mutable std::string folded_;
};

// Passes only the lines the filter shows, whole: the start of a line is held until its end comes
// (never beyond a bound: a longer line is shown as it is, said once on standard error).
class FilterStage final : public OutputSink {
 public:
  // `name` is the file's, as the rollover changes it, for the note on a line too long to be held.
  FilterStage(const LineFilter& filter, const std::string& name, OutputSink& next);
  FilterStage(const LineFilter& filter, std::string&& name, OutputSink& next) = delete;

  // The filter in the form of the text that comes.
  void UseFilter(const LineFilter& filter) { filter_ = &filter; }

  viewer_platform::WriteResult Write(std::span<const char> bytes) override;
  // A held line is whole at the end of its file.
  viewer_platform::WriteResult EndOfFile() override;
  // A held line stays held: it is not shown before its end.
  viewer_platform::WriteResult Idle() override { return out_.Idle(); }

 private:
  // Puts the shown lines of text made of whole lines, each with its line end.
  viewer_platform::WriteResult PutShownLines(std::string_view text);
  viewer_platform::WriteResult PutLineIfShown(std::string_view line);
  // Holds the start of a line, or lets it go unfiltered once it is too long to hold.
  viewer_platform::WriteResult Hold(std::string_view start);

  const LineFilter* filter_;
  const std::string& name_;
  std::string held_;
  // The current line went out unfiltered, too long to hold.
  bool lineUnderWay_ = false;
  bool noted_ = false;
  OutputBlock out_;
};

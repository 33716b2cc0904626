#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/patterns.h"

// The longest line a filter looks at; a longer one is shown as it is.
inline constexpr std::size_t kLongestFilteredLine = std::size_t{1024} * 1024;

// Adds to `starts` where each shown line of `text` begins, in order. `text` is made of whole lines, each
// with its line end but perhaps the last.
using ShownLinesFunction = std::function<void(std::span<const char> text, std::vector<std::size_t>& starts)>;

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

#include "output/line_filter.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The line of text around position `at`: from after the line end before it to its own line end.
std::pair<std::size_t, std::size_t> LineAround(std::string_view text, std::size_t at) {
  const std::size_t before = text.rfind('\n', at == 0 ? 0 : at - 1);
  const std::size_t start = at == 0 || before == kNone ? 0 : before + 1;
  const std::size_t end = text.find('\n', at);
  return {start, end == kNone ? text.size() : end + 1};
}

}  // namespace

// With grep patterns, each line holding a match is taken and then tested against the excludes; without
// them, everything but the lines holding an exclude is taken. Lines taken one after another make one run.
bool LineFilter::ForEachShownRun(std::string_view text,
                                 const std::function<bool(std::size_t start, std::size_t end)>& run) const {
  const bool grepping = !greps_.empty();
  const Patterns& searched = grepping ? greps_ : excludes_;
  const SearchedText folded = searched.Searched(text, folded_);
  std::vector<std::size_t> nextMatch(searched.size());
  for (std::size_t index = 0; index < searched.size(); ++index) {
    nextMatch[index] = searched.Find(index, folded, 0).first;
  }
  std::size_t runStart = 0;
  std::size_t runEnd = 0;
  // Adds the lines from `start` to `end` to the run, which goes out first when they do not follow it.
  const auto take = [&](std::size_t start, std::size_t end) {
    if (start != runEnd) {
      if (runEnd > runStart && !run(runStart, runEnd)) {
        return false;
      }
      runStart = start;
    }
    runEnd = end;
    return true;
  };
  std::size_t from = 0;
  while (from < text.size()) {
    // The earliest match of any pattern; each pattern's next match is looked for again once passed.
    std::size_t match = kNone;
    for (std::size_t index = 0; index < searched.size(); ++index) {
      if (nextMatch[index] != kNone && nextMatch[index] < from) {
        nextMatch[index] = searched.Find(index, folded, from).first;
      }
      match = std::min(match, nextMatch[index]);
    }
    if (match == kNone) {
      break;
    }
    const auto [start, end] = LineAround(text, match);
    std::string_view line = text.substr(start, end - start);
    line.remove_suffix(line.ends_with('\n') ? 1 : 0);
    // Without grep patterns, what lies between excluded lines is shown, and the line itself is not.
    if (grepping ? (excludes_.empty() || Shows(line)) && !take(start, end) : !take(from, start)) {
      return false;
    }
    from = end;
  }
  if (!grepping && !take(from, text.size())) {
    return false;
  }
  return runEnd == runStart || run(runStart, runEnd);
}

void LineFilter::FindShownLines(std::string_view text, std::vector<std::size_t>& starts) const {
  ForEachShownRun(text, [&](std::size_t start, std::size_t end) {
    for (std::size_t at = start; at < end;) {
      starts.push_back(at);
      const std::size_t newline = text.find('\n', at);
      at = newline == kNone ? end : newline + 1;
    }
    return true;
  });
}

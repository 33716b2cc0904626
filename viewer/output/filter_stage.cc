#include "output/filter_stage.h"

#include <algorithm>
#include <cstdio>

#include "follow/last_lines.h"

namespace vp = viewer_platform;

namespace {

constexpr std::size_t kOutputBlockSize = std::size_t{64} * 1024;
// The longest start of a line held until its end comes.
constexpr std::size_t kHeldLimit = kLongestFilteredLine;
constexpr std::size_t kNone = std::string_view::npos;

// The line of text around position `at`: from after the line end before it to its own line end.
std::pair<std::size_t, std::size_t> LineAround(std::string_view text, std::size_t at) {
  const std::size_t before = text.rfind('\n', at == 0 ? 0 : at - 1);
  const std::size_t start = at == 0 || before == kNone ? 0 : before + 1;
  const std::size_t end = text.find('\n', at);
  return {start, end == kNone ? text.size() : end + 1};
}

}  // namespace

FilterStage::FilterStage(const LineFilter& filter, const std::string& name, OutputSink& next)
    : filter_(&filter), name_(name), out_(next, kOutputBlockSize) {}

vp::WriteResult FilterStage::Write(std::span<const char> bytes) {
  std::string_view rest(bytes.data(), bytes.size());
  vp::WriteResult result = vp::WriteResult::kWritten;
  if (lineUnderWay_ || !held_.empty()) {
    const std::size_t newline = rest.find('\n');
    if (newline == kNone) {
      result = Hold(rest);
      return result == vp::WriteResult::kWritten ? out_.Flush() : result;
    }
    const std::string_view end = rest.substr(0, newline + 1);
    rest.remove_prefix(newline + 1);
    if (lineUnderWay_) {
      lineUnderWay_ = false;
      result = out_.Put(end);
    } else {
      held_.append(end);
      result = PutLineIfShown(held_);
      held_.clear();
    }
  }
  const std::size_t whole = rest.rfind('\n') + 1;
  if (result == vp::WriteResult::kWritten && whole > 0) {
    result = PutShownLines(rest.substr(0, whole));
  }
  if (result == vp::WriteResult::kWritten && whole < rest.size()) {
    result = Hold(rest.substr(whole));
  }
  return result == vp::WriteResult::kWritten ? out_.Flush() : result;
}

vp::WriteResult FilterStage::EndOfFile() {
  const vp::WriteResult result = held_.empty() ? vp::WriteResult::kWritten : PutLineIfShown(held_);
  held_.clear();
  lineUnderWay_ = false;
  return result == vp::WriteResult::kWritten ? out_.EndOfFile() : result;
}

vp::WriteResult FilterStage::Hold(std::string_view start) {
  if (lineUnderWay_) {
    return out_.Put(start);
  }
  if (held_.size() + start.size() <= kHeldLimit) {
    held_.append(start);
    return vp::WriteResult::kWritten;
  }
  if (!std::exchange(noted_, true)) {
    std::fprintf(stderr, "cmdtail: %s: a line longer than 1 MiB is shown whole, unfiltered\n", name_.c_str());
  }
  lineUnderWay_ = true;
  const vp::WriteResult result = out_.Put(held_);
  held_.clear();
  return result == vp::WriteResult::kWritten ? out_.Put(start) : result;
}

vp::WriteResult FilterStage::PutLineIfShown(std::string_view line) {
  const std::string_view text = line.ends_with('\n') ? line.substr(0, line.size() - 1) : line;
  return filter_->Shows(text) ? out_.Put(line) : vp::WriteResult::kWritten;
}

vp::WriteResult FilterStage::PutShownLines(std::string_view text) {
  vp::WriteResult result = vp::WriteResult::kWritten;
  filter_->ForEachShownRun(text, [&](std::size_t start, std::size_t end) {
    result = out_.Put(text.substr(start, end - start));
    return result == vp::WriteResult::kWritten;
  });
  return result;
}

// With grep patterns, each line holding a match is taken and then tested against the excludes; without
// them, everything but the lines holding an exclude is taken. Lines taken one after another make one run.
bool LineFilter::ForEachShownRun(std::string_view text,
                                 const std::function<bool(std::size_t start, std::size_t end)>& run) const {
  const bool grepping = !greps_.empty();
  const Patterns& searched = grepping ? greps_ : excludes_;
  const std::string_view folded = searched.Searched(text, folded_);
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
    const auto [start, end] = LineAround(folded, match);
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

#include "output/select_stage.h"

#include <algorithm>
#include <utility>

namespace {

// The shown lines of a read gather in one write.
constexpr std::size_t kShownLinesBlockSize = std::size_t{64} * 1024;
constexpr std::string_view kSeparatorLine = "--\n";

const LevelWords& TheLevelWords() {
  static const LevelWords words;
  return words;
}

std::string_view TextOf(std::string_view line) { return line.substr(0, line.find('\n')); }

constexpr auto kWritten = platform::WriteResult::kWritten;

}  // namespace

SelectStage::SelectStage(const SelectionRules& rules, NoteSink& notes, platform::OutputSink& next)
    : rules_(rules),
      notes_(notes),
      heldLine_(kLongestFilteredLine, *this),
      out_(next, kShownLinesBlockSize) {}

void SelectStage::KeepLast(std::size_t count, bool atTextStart) {
  keepCount_ = count;
  atTextStart_ = atTextStart;
  levelKnown_ = atTextStart || !rules_.selection.level;
  recordsKnown_ = atTextStart || rules_.recordStart == nullptr;
}

bool SelectStage::KeptExactly() const {
  return atTextStart_ || *keepCount_ == 0 ||
         (exactFrom_ && kept_.size() == *keepCount_ && kept_.front().record >= *exactFrom_);
}

platform::WriteResult SelectStage::ShowKept(bool ended) {
  const platform::WriteResult decided = ended ? EndRecord() : Settle();
  keepCount_.reset();
  platform::WriteResult result = decided;
  for (const Kept& record : std::exchange(kept_, {})) {
    if (result == kWritten) {
      result = Show(record.record, record.bytes);
    }
  }
  return result == kWritten ? out_.Flush() : result;
}

platform::WriteResult SelectStage::Write(std::span<const char> bytes) {
  const platform::WriteResult result = heldLine_.Take({bytes.data(), bytes.size()});
  return result == kWritten ? out_.Flush() : result;
}

platform::WriteResult SelectStage::EndOfFile() {
  platform::WriteResult result = heldLine_.End();
  if (result == kWritten) {
    result = keepCount_ ? ShowKept(true) : EndRecord();
  }
  return result == kWritten ? out_.EndOfFile() : result;
}

platform::WriteResult SelectStage::Idle() {
  const platform::WriteResult result = keepCount_ ? kWritten : Settle();
  const platform::WriteResult flushed = result == kWritten ? out_.Flush() : result;
  return flushed == kWritten ? out_.Idle() : flushed;
}

// A record that its lines so far show goes out while the text pauses, rather than wait for the next.
platform::WriteResult SelectStage::Settle() {
  return open_ && state_ == State::kUndecided && Matches() ? ShowRecord() : kWritten;
}

platform::WriteResult SelectStage::PutLines(std::string_view lines) {
  platform::WriteResult result = kWritten;
  while (!lines.empty() && result == kWritten) {
    const std::size_t end = std::min(lines.find('\n'), lines.size() - 1) + 1;
    result = PutLine(lines.substr(0, end));
    lines.remove_prefix(end);
  }
  return result;
}

platform::WriteResult SelectStage::PutLine(std::string_view line) {
  const std::string_view text = TextOf(line);
  NoteLevelOf(text);
  platform::WriteResult result = kWritten;
  if (const bool starts = StartsRecord(text); !open_ || starts) {
    result = EndRecord();
    if (result == kWritten) {
      result = BeginRecord();
    }
  }
  if (result != kWritten) {
    return result;
  }
  grepFound_ = grepFound_ || rules_.greps.FoundIn(text);
  excludeFound_ = excludeFound_ || (!rules_.excludes.empty() && rules_.excludes.FoundIn(text));
  if (state_ == State::kShown) {
    result = Show(record_, line);
  } else {
    result = Hold(line);
    if (state_ == State::kUndecided && (!levelMet_ || excludeFound_)) {
      state_ = State::kHidden;
    } else if (state_ == State::kUndecided && grepFound_ && rules_.excludes.empty()) {
      // Nothing can hide it any more.
      result = result == kWritten ? ShowRecord() : result;
    }
  }
  return result == kWritten && rules_.recordStart == nullptr ? EndRecord() : result;
}

bool SelectStage::StartsRecord(std::string_view text) {
  if (rules_.recordStart == nullptr || rules_.recordStart->FoundIn(text)) {
    recordsKnown_ = true;
    return true;
  }
  return false;
}

void SelectStage::NoteLevelOf(std::string_view text) {
  if (rules_.selection.level) {
    if (const std::optional<Level> named = TheLevelWords().Of(text)) {
      level_ = named;
      levelKnown_ = true;
    }
  }
}

platform::WriteResult SelectStage::BeginRecord() {
  ++record_;
  open_ = true;
  state_ = State::kUndecided;
  levelMet_ = !rules_.selection.level || !level_ || *level_ >= *rules_.selection.level;
  grepFound_ = rules_.greps.empty();
  excludeFound_ = false;
  forced_ = false;
  held_.clear();
  if (!exactFrom_ && levelKnown_ && recordsKnown_) {
    exactFrom_ = record_ + rules_.selection.after;
  }
  if (afterLeft_ > 0) {
    --afterLeft_;
    state_ = State::kShown;
  }
  return kWritten;
}

platform::WriteResult SelectStage::EndRecord() {
  if (!std::exchange(open_, false)) {
    return kWritten;
  }
  const bool matches = Matches();
  platform::WriteResult result = kWritten;
  if (matches) {
    afterLeft_ = rules_.selection.after;
    if (state_ != State::kShown) {
      result = ShowRecord();
    }
  } else if (state_ != State::kShown && rules_.selection.before > 0) {
    before_.push_back({record_, std::move(held_)});
    if (before_.size() > rules_.selection.before) {
      before_.pop_front();
    }
  }
  held_.clear();
  return result;
}

platform::WriteResult SelectStage::ShowRecord() {
  state_ = State::kShown;
  platform::WriteResult result = kWritten;
  for (const Kept& record : std::exchange(before_, {})) {
    if (result == kWritten) {
      result = Show(record.record, record.bytes);
    }
  }
  result = result == kWritten ? Show(record_, held_) : result;
  held_.clear();
  return result;
}

platform::WriteResult SelectStage::Hold(std::string_view bytes) {
  if (state_ == State::kHidden && rules_.selection.before == 0) {
    return kWritten;
  }
  if (held_.size() + bytes.size() <= kLongestRecord) {
    held_.append(bytes);
    return kWritten;
  }
  if (!std::exchange(noted_, true)) {
    notes_.Note("a record longer than 1 MiB is decided on its first 1 MiB");
  }
  if (state_ == State::kUndecided && Matches()) {
    const platform::WriteResult result = ShowRecord();
    return result == kWritten ? Show(record_, bytes) : result;
  }
  state_ = State::kHidden;
  held_.append(bytes.substr(0, kLongestRecord - held_.size()));
  return kWritten;
}

bool SelectStage::Matches() const { return forced_ || (levelMet_ && grepFound_ && !excludeFound_); }

platform::WriteResult SelectStage::Show(std::size_t record, std::string_view bytes) {
  if (keepCount_) {
    Keep(record, bytes);
    return kWritten;
  }
  platform::WriteResult result = kWritten;
  if (rules_.selection.separated && anyShown_ && record > lastShown_ + 1) {
    result = out_.Put(kSeparatorLine);
  }
  lastShown_ = record;
  anyShown_ = true;
  return result == kWritten ? out_.Put(bytes) : result;
}

void SelectStage::Keep(std::size_t record, std::string_view bytes) {
  if (kept_.empty() || kept_.back().record != record) {
    kept_.push_back({record, {}});
    if (kept_.size() > *keepCount_) {
      kept_.pop_front();
    }
  }
  if (kept_.empty()) {
    return;
  }
  std::string& keptBytes = kept_.back().bytes;
  if (keptBytes.size() + bytes.size() > kLongestRecord && !std::exchange(noted_, true)) {
    notes_.Note("a record longer than 1 MiB is shown in its first 1 MiB among the last ones");
  }
  keptBytes.append(bytes.substr(0, kLongestRecord - std::min(kLongestRecord, keptBytes.size())));
}

// A line too long to hold is shown whole, whatever it holds, as the line filter shows it; its record
// goes out with it.
void SelectStage::TooLong(std::string_view start) {
  if (!std::exchange(noted_, true)) {
    notes_.Note("a line longer than 1 MiB is shown whole, unfiltered");
  }
  NoteLevelOf(start);
  if (const bool starts = StartsRecord(start); !open_ || starts) {
    EndRecord();
    BeginRecord();
  }
  forced_ = true;
  lineUnderWay_ = true;
  if (state_ != State::kShown) {
    ShowRecord();
  }
}

platform::WriteResult SelectStage::PutAsItIs(std::string_view piece) {
  const platform::WriteResult result = Show(record_, piece);
  if (lineUnderWay_ && piece.ends_with('\n')) {
    lineUnderWay_ = false;
    if (rules_.recordStart == nullptr) {
      return result == kWritten ? EndRecord() : result;
    }
  }
  return result;
}

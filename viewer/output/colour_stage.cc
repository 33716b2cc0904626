#include "output/colour_stage.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <tuple>
#include <vector>

#include "platform/output.h"

namespace {

// The longest start of a line held back for its colour; a longer line goes on uncoloured.
constexpr std::size_t kHeldLimit = std::size_t{64} * 1024;
constexpr std::string_view kRed = "\x1b[31m";
constexpr std::string_view kYellow = "\x1b[33m";
constexpr std::string_view kReset = "\x1b[0m";
// Highlighted texts in black on a background of their own, told apart from the line colours.
constexpr std::string_view kHighlights[] = {"\x1b[30;46m", "\x1b[30;42m", "\x1b[30;45m", "\x1b[30;43m"};

bool IsWordCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The words that colour a line. Each is found through a letter of it that is rare in logs, looked for
// with the C library's memchr; 'R' for ERROR, WARN and WARNING, 'L' for FATAL.
struct LineWord {
  std::string_view word;
  bool red;
};
constexpr LineWord kLineWords[] = {{"ERROR", true}, {"FATAL", true}, {"WARN", false}, {"WARNING", false}};
constexpr std::string_view kLookedForLetters = "RL";

// Whether a whole word (no word character on either side) of `text` begins at `start` and is `word`.
bool IsWordAt(std::string_view text, std::size_t start, std::string_view word) {
  return text.substr(start, word.size()) == word && (start == 0 || !IsWordCharacter(text[start - 1])) &&
         (start + word.size() == text.size() || !IsWordCharacter(text[start + word.size()]));
}

// The colour for a line's text: red for ERROR or FATAL, yellow for WARN or WARNING, else none (empty).
std::string_view ColourOf(std::string_view text) {
  std::string_view colour;
  for (const char letter : kLookedForLetters) {
    for (const char* hit = static_cast<const char*>(std::memchr(text.data(), letter, text.size()));
         hit != nullptr;
         hit = static_cast<const char*>(std::memchr(hit + 1, letter, text.data() + text.size() - hit - 1))) {
      const auto at = static_cast<std::size_t>(hit - text.data());
      // Each line word holding the letter, at each place of the letter in it.
      for (const LineWord& lineWord : kLineWords) {
        const std::string_view word = lineWord.word;
        for (std::size_t offset = word.find(letter); offset != std::string_view::npos && offset <= at;
             offset = word.find(letter, offset + 1)) {
          if (IsWordAt(text, at - offset, word)) {
            if (lineWord.red) {
              return kRed;
            }
            colour = kYellow;
          }
        }
      }
    }
  }
  return colour;
}

}  // namespace

ColourStage::ColourStage(const Patterns* highlights, const Patterns* recordStart, platform::OutputSink& next)
    : highlights_(highlights), recordStart_(recordStart), held_(kHeldLimit, *this), out_(next) {}

platform::WriteResult ColourStage::Write(std::span<const char> bytes) {
  const platform::WriteResult result = held_.Take({bytes.data(), bytes.size()});
  return result == platform::WriteResult::kWritten ? Flush() : result;
}

platform::WriteResult ColourStage::EndOfFile() {
  const platform::WriteResult result = held_.End();
  if (result != platform::WriteResult::kWritten) {
    return result;
  }
  const platform::WriteResult flushed = Flush();
  return flushed == platform::WriteResult::kWritten ? out_.EndOfFile() : flushed;
}

platform::WriteResult ColourStage::Idle() {
  const platform::WriteResult result = held_.LetGo();
  if (result != platform::WriteResult::kWritten) {
    return result;
  }
  const platform::WriteResult flushed = Flush();
  return flushed == platform::WriteResult::kWritten ? out_.Idle() : flushed;
}

void ColourStage::CloseColour() {
  if (colourMayBeOpen_) {
    out_.WriteAtEnd(kReset);
    colourMayBeOpen_ = false;
  }
}

platform::WriteResult ColourStage::PutLines(std::string_view lines) {
  const bool fixed = highlights_ != nullptr && !highlights_->AreExpressions();
  const SearchedText block = fixed ? highlights_->Searched(lines, folded_) : SearchedText(lines);
  nextInBlock_.clear();
  for (std::size_t pattern = 0; fixed && pattern < highlights_->size(); ++pattern) {
    nextInBlock_.push_back(highlights_->Find(pattern, block, 0));
  }
  platform::WriteResult result = platform::WriteResult::kWritten;
  for (std::size_t start = 0; start < lines.size() && result == platform::WriteResult::kWritten;) {
    const std::size_t end = std::min(lines.find('\n', start), lines.size() - 1) + 1;
    result = PutLine(lines.substr(start, end - start), block, start);
    start = end;
  }
  return result;
}

platform::WriteResult ColourStage::PutLine(std::string_view line, const SearchedText& block,
                                           std::size_t lineStart) {
  // The colour ends before the line ending, CR LF or LF.
  std::string_view text = line.ends_with('\n') ? line.substr(0, line.size() - 1) : line;
  if (text.ends_with('\r')) {
    text.remove_suffix(1);
  }
  // The line "--" between groups of records is a record of its own.
  if (recordStart_ == nullptr || text == "--" || recordStart_->FoundIn(text)) {
    recordColour_ = ColourOf(text);
  }
  const std::string_view colour = recordColour_;
  const SearchedText searched = highlights_ != nullptr ? LineSearched(text, block, lineStart) : text;
  const bool highlighted = highlights_ != nullptr && Highlighted(block, searched, lineStart);
  if (colour.empty() && !highlighted) {
    return Put(line);
  }
  colourMayBeOpen_ = true;
  platform::WriteResult result = Put(colour);
  if (result == platform::WriteResult::kWritten) {
    result = highlighted ? PutHighlighted(block, searched, lineStart, colour) : Put(text);
  }
  if (result == platform::WriteResult::kWritten && !colour.empty()) {
    result = Put(kReset);
  }
  return result == platform::WriteResult::kWritten ? Put(line.substr(text.size())) : result;
}

SearchedText ColourStage::LineSearched(std::string_view text, const SearchedText& block,
                                       std::size_t lineStart) {
  if (highlights_->AreExpressions()) {
    return highlights_->Searched(text, folded_);
  }
  return {text, block.folded.substr(lineStart, text.size())};
}

bool ColourStage::Highlighted(const SearchedText& block, const SearchedText& line, std::size_t lineStart) {
  if (highlights_->AreExpressions()) {
    return highlights_->FoundInSearched(line);
  }
  const std::size_t textEnd = lineStart + line.text.size();
  bool found = false;
  for (std::size_t pattern = 0; pattern < nextInBlock_.size() && !found; ++pattern) {
    found = EndsBy(NextInBlock(pattern, block, lineStart), textEnd);
  }
  return found;
}

// One that starts in a line but runs past its text (into its CR) is none of the line's, nor can a later
// one of that text be.
bool ColourStage::EndsBy(Occurrence occurrence, std::size_t end) {
  const auto [at, length] = occurrence;
  return at <= end && length <= end - at;
}

ColourStage::Occurrence ColourStage::NextInBlock(std::size_t pattern, const SearchedText& block,
                                                 std::size_t lineStart) {
  Occurrence& next = nextInBlock_[pattern];
  if (next.first < lineStart) {
    next = highlights_->Find(pattern, block, lineStart);
  }
  return next;
}

// Each text's first occurrence in the line: for fixed texts the block's next one, when it is the line's.
void ColourStage::FindFirstOccurrences(const SearchedText& block, const SearchedText& line,
                                       std::size_t lineStart) {
  nextOccurrences_.resize(highlights_->size());
  for (std::size_t pattern = 0; pattern < highlights_->size(); ++pattern) {
    if (highlights_->AreExpressions()) {
      nextOccurrences_[pattern] = highlights_->Find(pattern, line, 0);
      continue;
    }
    const Occurrence next = NextInBlock(pattern, block, lineStart);
    nextOccurrences_[pattern] = EndsBy(next, lineStart + line.text.size())
                                    ? Occurrence(next.first - lineStart, next.second)
                                    : Occurrence(std::string_view::npos, 0);
  }
}

// Colours the earliest occurrence of any text from where the last coloured one ended, and of those starting
// together the longest, and of the same text given twice (or in two cases, with case ignored) the first
// given, as grep --color does: every occurrence that no earlier-coloured one overlaps. Each text's next
// occurrence is looked for again only once the coloured ones have passed its start.
platform::WriteResult ColourStage::PutHighlighted(const SearchedText& block, const SearchedText& searched,
                                                  std::size_t lineStart, std::string_view colour) {
  const std::string_view text = searched.text;
  FindFirstOccurrences(block, searched, lineStart);
  std::size_t shown = 0;
  for (;;) {
    std::size_t best = nextOccurrences_.size();
    for (std::size_t pattern = 0; pattern < nextOccurrences_.size(); ++pattern) {
      auto& [at, length] = nextOccurrences_[pattern];
      // An empty match colours nothing: the expression's next match is looked for after it.
      while (at != std::string_view::npos && (at < shown || length == 0)) {
        std::tie(at, length) = highlights_->Find(pattern, searched, at < shown ? shown : at + 1);
      }
      if (at != std::string_view::npos &&
          (best == nextOccurrences_.size() || at < nextOccurrences_[best].first ||
           (at == nextOccurrences_[best].first && length > nextOccurrences_[best].second))) {
        best = pattern;
      }
    }
    if (best == nextOccurrences_.size()) {
      return Put(text.substr(shown));
    }
    const auto [start, length] = nextOccurrences_[best];
    const std::string_view highlight = kHighlights[best % std::size(kHighlights)];
    for (const std::string_view piece :
         {text.substr(shown, start - shown), highlight, text.substr(start, length), kReset, colour}) {
      const platform::WriteResult result = Put(piece);
      if (result != platform::WriteResult::kWritten) {
        return result;
      }
    }
    shown = start + length;
  }
}

platform::WriteResult ColourStage::Put(std::string_view piece) {
  const platform::WriteResult result = out_.Put(piece);
  cutShort_ = cutShort_ || result != platform::WriteResult::kWritten;
  return result;
}

platform::WriteResult ColourStage::Flush() {
  const platform::WriteResult result = out_.Flush();
  cutShort_ = cutShort_ || result != platform::WriteResult::kWritten;
  // Every coloured line put so far ends in its reset: once all of it is out, no colour is open. A
  // write cut short may have left a line without its reset, while the block it was in is empty.
  if (!cutShort_) {
    colourMayBeOpen_ = false;
  }
  return result;
}

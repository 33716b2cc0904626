#include "text/patterns.h"

#include <algorithm>
#include <cstring>

#include "text/case_fold.h"
#include "text/expressions.h"

namespace {

constexpr std::size_t kNone = std::string_view::npos;
// The most of a text looked at, at a time, to learn how often each byte occurs in the log.
constexpr std::size_t kLearnedWindow = std::size_t{64} * 1024;
// Counts are halved past this many bytes learned, so that they follow a log that changes.
constexpr std::size_t kLearnedBeforeHalving = std::size_t{1024} * 1024;
// The longest pattern searched with Boyer-Moore, whose tables take a time that grows with the square of
// its length.
constexpr std::size_t kLongestSkipped = 256;
// About what a failed candidate costs, in instructions; a step of the Boyer-Moore searcher, which skips
// up to the pattern's length; and a byte of Knuth-Morris-Pratt's, which skips nothing.
constexpr std::size_t kCandidateCost = 40;
constexpr std::size_t kSkipStepCost = 5;
constexpr std::size_t kBorderStepCost = 8;
// Plans are made again only after searching this many times what making them cost.
constexpr std::size_t kPlanUses = 32;
// A plan whose candidates fail more often than once in this many bytes (after a few) is made again.
constexpr std::size_t kFailuresTolerated = 16;
constexpr std::size_t kBytesPerFailure = 256;
// While the searcher is used, the plan is made again after this many bytes.
constexpr std::size_t kSkippingRenewal = std::size_t{1024} * 1024;

// How often a byte is taken to occur in logs, roughly, between bytes the text showed equally often:
// blanks, digits and common lower case letters most, upper case letters and bytes beyond ASCII least.
int CommonnessOf(unsigned char byte) {
  constexpr std::string_view kLowerCaseByFrequency = "etaoinsrhldcumfpgwybvkxjqz";
  if (byte == ' ' || byte == '\t') {
    return 100;
  }
  if (byte >= '0' && byte <= '9') {
    return 80;
  }
  if (const std::size_t rank = kLowerCaseByFrequency.find(static_cast<char>(byte));
      rank != std::string_view::npos) {
    return 70 - static_cast<int>(rank);
  }
  return byte >= 'A' && byte <= 'Z' ? 30 : byte < 0x80 ? 20 : 10;
}

// The length of the longest border (a start that is also an end, shorter than itself) of each start of
// the pattern, for Knuth-Morris-Pratt's search.
std::vector<std::size_t> BordersOf(std::string_view pattern) {
  std::vector<std::size_t> borders(pattern.size(), 0);
  for (std::size_t at = 1, border = 0; at < pattern.size(); ++at) {
    while (border > 0 && pattern[at] != pattern[border]) {
      border = borders[border - 1];
    }
    border += pattern[at] == pattern[border] ? 1 : 0;
    borders[at] = border;
  }
  return borders;
}

}  // namespace

Patterns::Patterns() noexcept = default;
Patterns::~Patterns() = default;
Patterns::Patterns(Patterns&& other) noexcept = default;
Patterns& Patterns::operator=(Patterns&& other) noexcept = default;

Patterns::Patterns(std::vector<std::optional<std::string>> texts, bool ignoreCase, bool utf8, Syntax syntax)
    : ignoreCase_(ignoreCase), utf8_(utf8) {
  if (syntax == Syntax::kExpressions) {
    findable_.assign(texts.size(), true);
    expressions_ = std::make_unique<Expressions>(texts, ignoreCase, utf8);
    return;
  }
  for (std::optional<std::string>& given : texts) {
    findable_.push_back(given.has_value());
    texts_.push_back(std::move(given).value_or(std::string()));
    if (ignoreCase_) {
      FoldCase(texts_.back(), utf8_);
    }
    folding_ = std::max(folding_, ignoreCase_ ? FoldingFor(texts_.back(), utf8_) : FoldingNeeded::kNone);
  }
  // The searchers refer to the texts, which stay where they are from now on.
  searchers_.resize(texts_.size());
  borders_.resize(texts_.size());
  for (std::size_t index = 0; index < texts_.size(); ++index) {
    const std::string& text = texts_[index];
    if (text.size() <= kLongestSkipped) {
      searchers_[index].emplace(text.begin(), text.end());
    } else {
      borders_[index] = BordersOf(text);
    }
  }
  plans_.resize(texts_.size());
}

std::optional<std::pair<std::size_t, std::string>> Patterns::Fault() const {
  if (expressions_ == nullptr || !expressions_->fault()) {
    return std::nullopt;
  }
  return std::pair(expressions_->fault()->index, expressions_->fault()->reason);
}

std::pair<std::size_t, std::size_t> Patterns::Find(std::size_t index, SearchedText searched,
                                                   std::size_t from) const {
  if (expressions_ != nullptr) {
    return expressions_->Find(index, searched, from);
  }
  const std::string_view text = searched.folded;
  const std::string& pattern = texts_[index];
  if (!findable_[index] || from > text.size() || pattern.size() > text.size() - from) {
    return {kNone, 0};
  }
  if (pattern.empty()) {
    return {from, 0};
  }
  if (learned_ == 0 || PlanOutworn(plans_[index])) {
    Learn(text.substr(from, kLearnedWindow));
  }
  Plan& plan = plans_[index];
  std::size_t searcherFrom = plan.skipping ? from : kNone;
  std::size_t found = plan.skipping ? kNone : FindByAnchor(index, text, from, searcherFrom);
  if (searcherFrom != kNone) {
    found = FindBySearcher(index, text, searcherFrom);
  }
  plan.searched += (found == kNone ? text.size() : found + pattern.size()) - from;
  return {found, found == kNone ? 0 : pattern.size()};
}

// The C library's memchr, which goes through text far faster than any skip a short pattern allows, finds
// where the anchor's byte is; each such place is a candidate. Comparing the candidates that fail may cost
// about as much as the searcher would from the start, never more, so that no text makes the search
// slower than the searcher.
std::size_t Patterns::FindByAnchor(std::size_t index, std::string_view text, std::size_t from,
                                   std::size_t& searcherFrom) const {
  const std::string& pattern = texts_[index];
  Plan& plan = plans_[index];
  const std::size_t anchor = plan.anchor;
  const std::size_t lastStart = text.size() - pattern.size();
  std::size_t compared = 0;
  for (std::size_t at = from; at <= lastStart;) {
    const void* hit = std::memchr(text.data() + at + anchor, pattern[anchor], lastStart + 1 - at);
    if (hit == nullptr) {
      return kNone;
    }
    const auto start = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) - anchor;
    // The pattern's last byte first: a cheap test that most false candidates fail.
    if (text[start + pattern.size() - 1] == pattern.back() &&
        std::memcmp(text.data() + start, pattern.data(), pattern.size()) == 0) {
      return start;
    }
    at = start + 1;
    ++plan.failed;
    compared += pattern.size();
    if (compared > 2 * (at - from + pattern.size())) {
      searcherFrom = at;
      return kNone;
    }
  }
  return kNone;
}

std::size_t Patterns::FindBySearcher(std::size_t index, std::string_view text, std::size_t from) const {
  if (const std::optional<Searcher>& searcher = searchers_[index]) {
    const auto [found, end] = (*searcher)(text.begin() + static_cast<std::ptrdiff_t>(from), text.end());
    return found == text.end() ? kNone : static_cast<std::size_t>(found - text.begin());
  }
  const std::string& pattern = texts_[index];
  const std::vector<std::size_t>& borders = borders_[index];
  for (std::size_t at = from, matched = 0; at < text.size(); ++at) {
    while (matched > 0 && text[at] != pattern[matched]) {
      matched = borders[matched - 1];
    }
    matched += text[at] == pattern[matched] ? 1 : 0;
    if (matched == pattern.size()) {
      return at + 1 - pattern.size();
    }
  }
  return kNone;
}

bool Patterns::PlanOutworn(const Plan& plan) const {
  if (plan.searched < kPlanUses * planCost_) {
    return false;
  }
  return plan.skipping ? plan.searched >= kSkippingRenewal
                       : plan.failed >= kFailuresTolerated && plan.failed * kBytesPerFailure > plan.searched;
}

// Counts the window's bytes with those learned before, and plans every pattern's search by them: its
// anchor is its byte counted least (of those counted equally, the one taken to be rarest in logs), and
// the searcher is used where that byte would give more candidates than the searcher takes steps.
void Patterns::Learn(std::string_view window) const {
  if (learned_ > kLearnedBeforeHalving) {
    std::transform(counts_.begin(), counts_.end(), counts_.begin(),
                   [](std::uint64_t count) { return count / 2; });
    learned_ /= 2;
  }
  for (const char c : window) {
    ++counts_[static_cast<unsigned char>(c)];
  }
  learned_ += window.size();
  planCost_ = window.size();
  for (std::size_t index = 0; index < texts_.size(); ++index) {
    const std::string& pattern = texts_[index];
    planCost_ += pattern.size();
    const auto rarer = [this](char a, char b) {
      const auto x = static_cast<unsigned char>(a);
      const auto y = static_cast<unsigned char>(b);
      return counts_[x] != counts_[y] ? counts_[x] < counts_[y] : CommonnessOf(x) < CommonnessOf(y);
    };
    Plan& plan = plans_[index];
    plan = Plan{};
    plan.anchor =
        static_cast<std::size_t>(std::min_element(pattern.begin(), pattern.end(), rarer) - pattern.begin());
    const std::uint64_t anchorCount =
        pattern.empty() ? 0 : counts_[static_cast<unsigned char>(pattern[plan.anchor])];
    // The searcher's cost a byte, against the candidates' the anchor's byte would give.
    const std::size_t searcherCost =
        pattern.size() <= kLongestSkipped ? kSkipStepCost : kBorderStepCost * pattern.size();
    plan.skipping =
        pattern.size() > 1 && anchorCount * kCandidateCost * pattern.size() > learned_ * searcherCost;
  }
}

bool Patterns::FoundIn(std::string_view text) const {
  std::string scratch;
  return FoundInSearched(Searched(text, scratch));
}

bool Patterns::FoundInSearched(const SearchedText& searched) const {
  for (std::size_t index = 0; index < size(); ++index) {
    if (Find(index, searched, 0).first != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

SearchedText Patterns::Searched(std::string_view text, std::string& scratch) const {
  if (expressions_ != nullptr) {
    const Patterns* atoms = expressions_->atoms();
    expressions_->Forget();
    return atoms == nullptr ? SearchedText(text) : SearchedText(text, atoms->Searched(text, scratch).folded);
  }
  if (folding_ == FoldingNeeded::kNone) {
    return text;
  }
  // The scratch only grows, so that a text folded into it is written once, not also cleared first.
  if (scratch.size() < text.size()) {
    scratch.resize(text.size());
  }
  const std::span<char> folded(scratch.data(), text.size());
  FoldAsciiCase(text, folded);
  if (folding_ == FoldingNeeded::kFull) {
    FoldUtf8Characters(folded);
  }
  return {text, std::string_view(folded.data(), folded.size())};
}

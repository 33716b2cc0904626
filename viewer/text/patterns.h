#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/case_fold.h"

class Expressions;

// A text as it is searched: itself, and as long a copy with its case folded where case is ignored (the
// same text otherwise), at the same offsets.
struct SearchedText {
  // A text searched as it is, unfolded.
  // cppcheck-suppress noExplicitConstructor
  SearchedText(std::string_view itself) : text(itself), folded(itself) {}  // NOLINT
  SearchedText(std::string_view itself, std::string_view foldedCopy) : text(itself), folded(foldedCopy) {}
  std::string_view text;
  std::string_view folded;
};

// Fixed strings to find in text. Each pattern's byte that the text searched holds least often is looked
// for with the C library's memchr; where every byte of it is common, or candidates keep failing, a
// searcher whose time grows with the text and the pattern's length only, whatever both hold, goes
// through the text: the Boyer-Moore searcher, or for a long pattern (whose Boyer-Moore tables the
// standard library makes in a time that grows with the square of its length) Knuth-Morris-Pratt's. With
// ignoreCase, the strings and the text searched are folded to lower case first. As expressions, the
// texts are regular expressions instead (see Expressions).
class Patterns {
 public:
  enum class Syntax { kFixed, kExpressions };

  Patterns() noexcept;
  // A text that is absent (it has no form in the text searched) is found nowhere.
  Patterns(std::vector<std::optional<std::string>> texts, bool ignoreCase, bool utf8,
           Syntax syntax = Syntax::kFixed);
  ~Patterns();
  Patterns(Patterns&& other) noexcept;
  Patterns& operator=(Patterns&& other) noexcept;
  // The searchers refer to the texts, which a copy would not share.
  Patterns(const Patterns&) = delete;
  Patterns& operator=(const Patterns&) = delete;

  [[nodiscard]] bool empty() const { return findable_.empty(); }
  [[nodiscard]] std::size_t size() const { return findable_.size(); }
  // The texts are regular expressions, each matched within a line only.
  [[nodiscard]] bool AreExpressions() const { return expressions_ != nullptr; }
  [[nodiscard]] bool ignoreCase() const { return ignoreCase_; }
  [[nodiscard]] bool utf8() const { return utf8_; }

  // The expression that could not be compiled, and RE2's reason; none for fixed strings.
  [[nodiscard]] std::optional<std::pair<std::size_t, std::string>> Fault() const;

  // Where pattern `index` first occurs in the text at or after `from`, and its length; npos when it
  // does not.
  [[nodiscard]] std::pair<std::size_t, std::size_t> Find(std::size_t index, SearchedText searched,
                                                         std::size_t from) const;
  // Whether any pattern occurs in the text.
  [[nodiscard]] bool FoundIn(std::string_view text) const;
  // The same in a text already made ready for searching (see Searched).
  [[nodiscard]] bool FoundInSearched(const SearchedText& searched) const;
  // The text as it is searched: with a folded copy where case is ignored; `scratch` holds the copy (and
  // may be longer: it is kept between calls).
  SearchedText Searched(std::string_view text, std::string& scratch) const;

 private:
  using Searcher = std::boyer_moore_searcher<std::string::const_iterator>;

  // How a pattern is looked for, as the bytes of the text searched so far tell; planned again when its
  // candidates keep failing, and now and then while the searcher is used, as a log may change.
  struct Plan {
    // Where in the pattern the byte looked for with memchr is.
    std::size_t anchor = 0;
    // That byte is common in the text: the searcher goes through it instead.
    bool skipping = false;
    // Bytes searched and candidates failed since the plan was made.
    std::size_t searched = 0;
    std::size_t failed = 0;
  };

  void Learn(std::string_view window) const;
  [[nodiscard]] bool PlanOutworn(const Plan& plan) const;
  // Candidates at the anchor's byte, until one matches or they cost more than the searcher would;
  // returns the match or npos, and where the searcher is to go on in `searcherFrom`, if it is.
  std::size_t FindByAnchor(std::size_t index, std::string_view text, std::size_t from,
                           std::size_t& searcherFrom) const;
  [[nodiscard]] std::size_t FindBySearcher(std::size_t index, std::string_view text, std::size_t from) const;

  std::vector<std::string> texts_;
  std::vector<bool> findable_;
  // A Boyer-Moore searcher for each short pattern; for each long one, the length of the longest border
  // (a start that is also an end) of each of its starts.
  std::vector<std::optional<Searcher>> searchers_;
  std::vector<std::vector<std::size_t>> borders_;
  mutable std::vector<Plan> plans_;
  // How often each byte occurred in the windows of text learned, and their size.
  mutable std::array<std::uint64_t, 256> counts_{};
  mutable std::size_t learned_ = 0;
  // What learning the last window and planning by it cost, in bytes looked at.
  mutable std::size_t planCost_ = 0;
  bool ignoreCase_ = false;
  bool utf8_ = false;
  // How much of the text searched is folded for the texts.
  FoldingNeeded folding_ = FoldingNeeded::kNone;
  std::unique_ptr<Expressions> expressions_;
};

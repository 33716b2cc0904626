#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Folds text to lower case in place, keeping its length: ASCII letters always and, in UTF-8 text, every
// other character whose lower case form the platform knows and that is as long in UTF-8.
void FoldCase(std::span<char> text, bool utf8);

// Fixed strings to find in text: each pattern's rarest byte is looked for with the C library's memchr,
// and where that keeps finding false candidates, with the Boyer-Moore-Horspool searcher; nothing that
// can backtrack. With ignoreCase, the strings and the text searched are folded to lower case first.
class Patterns {
 public:
  Patterns() = default;
  // A text that is absent (it has no form in the text searched) is found nowhere.
  Patterns(std::vector<std::optional<std::string>> texts, bool ignoreCase, bool utf8);
  Patterns(Patterns&&) = default;
  Patterns& operator=(Patterns&&) = default;
  // The searchers refer to the texts, which a copy would not share.
  Patterns(const Patterns&) = delete;
  Patterns& operator=(const Patterns&) = delete;

  [[nodiscard]] bool empty() const { return texts_.empty(); }
  [[nodiscard]] std::size_t size() const { return texts_.size(); }
  [[nodiscard]] bool ignoreCase() const { return ignoreCase_; }
  [[nodiscard]] bool utf8() const { return utf8_; }

  // Where pattern `index` first occurs in `text` at or after `from`, and its length; npos when it does not.
  [[nodiscard]] std::pair<std::size_t, std::size_t> Find(std::size_t index, std::string_view text,
                                                         std::size_t from) const;
  // Whether any pattern occurs in the text, which is folded first when case is ignored.
  [[nodiscard]] bool FoundIn(std::string_view text) const;
  // The text as it is searched: folded when case is ignored; `scratch` holds the folded copy.
  std::string_view Searched(std::string_view text, std::string& scratch) const;

 private:
  using Searcher = std::boyer_moore_horspool_searcher<std::string::const_iterator>;

  std::vector<std::string> texts_;
  std::vector<bool> findable_;
  std::vector<Searcher> searchers_;
  // Each pattern's rarest byte, looked for first.
  std::vector<std::size_t> anchors_;
  bool ignoreCase_ = false;
  bool utf8_ = false;
};

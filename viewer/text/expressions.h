#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "text/patterns.h"

namespace re2 {
class RE2;
}

// Regular expressions to find in text, by RE2, whose time grows with the text only, whatever the
// expression, and which never recurses on the text. Each line of the text is matched on its own: ^ and $
// match at a line's ends, and no match holds a line feed. Where every match of an expression holds one
// of a few fixed strings (RE2's prefilter names them), those are found first, as fixed strings do, and
// the expression is matched only from the line of one.
class Expressions {
 public:
  // An expression that could not be compiled: which one, and RE2's reason.
  struct Fault {
    std::size_t index;
    std::string reason;
  };

  // An absent text (it has no form in the text searched) is found nowhere. Text that is not UTF-8 is
  // matched byte by byte.
  Expressions(const std::vector<std::optional<std::string>>& texts, bool ignoreCase, bool utf8);
  ~Expressions();
  Expressions(const Expressions&) = delete;
  Expressions& operator=(const Expressions&) = delete;

  [[nodiscard]] const std::optional<Fault>& fault() const { return fault_; }
  // The fixed strings looked for first, case-blind; null when there are none.
  [[nodiscard]] const Patterns* atoms() const { return atoms_.get(); }
  // Lets go of where the atoms were found: the next text searched is another, even where it is kept in
  // the same place.
  void Forget() const;
  // Where expression `index` first matches at or after `from`, leftmost and then longest, and the
  // match's length; npos when it does not.
  [[nodiscard]] std::pair<std::size_t, std::size_t> Find(std::size_t index, SearchedText searched,
                                                         std::size_t from) const;

 private:
  // Where the first of the atoms occurs at or after `from`; npos if none.
  [[nodiscard]] std::size_t FirstCandidate(const std::vector<std::size_t>& required, SearchedText searched,
                                           std::size_t from) const;
  [[nodiscard]] std::pair<std::size_t, std::size_t> Match(std::size_t index, std::string_view text,
                                                          std::size_t from, std::size_t to) const;

  std::vector<std::unique_ptr<re2::RE2>> expressions_;
  // For each expression, the atoms of which every match holds one; none when RE2 names no such set.
  std::vector<std::vector<std::size_t>> atomsOf_;
  std::unique_ptr<Patterns> atoms_;
  // Each atom's next occurrence in the text last searched, from where the last search began.
  mutable std::vector<std::size_t> nextAtoms_;
  mutable std::string_view keptFor_;
  mutable std::size_t keptFrom_ = 0;
  std::optional<Fault> fault_;
};

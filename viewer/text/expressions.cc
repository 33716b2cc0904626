#include "text/expressions.h"

#include <re2/filtered_re2.h>
#include <re2/re2.h>

#include <algorithm>
#include <iterator>
#include <numeric>

namespace {

constexpr std::size_t kNone = std::string_view::npos;
// Fixed strings shorter than this are not looked for first: they would find too many candidates.
constexpr int kShortestAtom = 3;
// An atom not yet looked for in the text searched.
constexpr std::size_t kNotLooked = kNone - 1;

re2::RE2::Options OptionsFor(bool ignoreCase, bool utf8) {
  re2::RE2::Options options;
  options.set_encoding(utf8 ? re2::RE2::Options::EncodingUTF8 : re2::RE2::Options::EncodingLatin1);
  options.set_case_sensitive(!ignoreCase);
  // The longest of the leftmost matches, as grep colours them.
  options.set_longest_match(true);
  options.set_never_nl(true);
  options.set_log_errors(false);
  return options;
}

// Whether the expression may match a text holding only these atoms.
bool Passes(const re2::FilteredRE2& filter, const std::vector<int>& atoms) {
  std::vector<int> potential;
  filter.AllPotentials(atoms, &potential);
  return !potential.empty();
}

// Every atom but those in `kept`.
std::vector<int> AtomsBut(const std::vector<int>& kept, int count) {
  std::vector<int> rest;
  for (int atom = 0; atom < count; ++atom) {
    if (std::find(kept.begin(), kept.end(), atom) == kept.end()) {
      rest.push_back(atom);
    }
  }
  return rest;
}

// Atoms of which every match of the one expression in `filter` holds one: from all of them, each is let
// go, the shortest (the least telling) first, where no text holding only the others could match
// without it. None when the expression may match a text holding none of them.
std::vector<int> RequiredAtoms(const re2::FilteredRE2& filter, const std::vector<std::string>& atoms) {
  const int count = static_cast<int>(atoms.size());
  std::vector<int> kept(atoms.size());
  std::iota(kept.begin(), kept.end(), 0);
  if (kept.empty() || Passes(filter, {})) {
    return {};
  }
  std::vector<int> byLength = kept;
  std::stable_sort(byLength.begin(), byLength.end(), [&](int a, int b) {
    return atoms[static_cast<std::size_t>(a)].size() < atoms[static_cast<std::size_t>(b)].size();
  });
  for (const int atom : byLength) {
    std::vector<int> fewer;
    std::copy_if(kept.begin(), kept.end(), std::back_inserter(fewer),
                 [&](int other) { return other != atom; });
    if (!Passes(filter, AtomsBut(fewer, count))) {
      kept = std::move(fewer);
    }
  }
  return kept;
}

}  // namespace

Expressions::Expressions(const std::vector<std::optional<std::string>>& texts, bool ignoreCase, bool utf8) {
  const re2::RE2::Options options = OptionsFor(ignoreCase, utf8);
  std::vector<std::optional<std::string>> atomTexts;
  for (std::size_t index = 0; index < texts.size(); ++index) {
    atomsOf_.emplace_back();
    expressions_.emplace_back();
    if (!texts[index]) {
      continue;
    }
    // Each line on its own: ^ and $ at the ends of every line of the text searched.
    const std::string pattern = "(?m)" + *texts[index];
    auto expression = std::make_unique<re2::RE2>(pattern, options);
    if (!expression->ok()) {
      // The reason as the text given, without the prefix, gives it.
      const re2::RE2 given(*texts[index], options);
      fault_ = fault_.value_or(Fault{index, (given.ok() ? *expression : given).error()});
      continue;
    }
    re2::FilteredRE2 filter(kShortestAtom);
    int id = 0;
    filter.Add(pattern, options, &id);
    std::vector<std::string> found;
    filter.Compile(&found);
    for (const int atom : RequiredAtoms(filter, found)) {
      atomsOf_.back().push_back(atomTexts.size());
      atomTexts.emplace_back(found[static_cast<std::size_t>(atom)]);
    }
    expressions_.back() = std::move(expression);
  }
  if (!atomTexts.empty()) {
    nextAtoms_.assign(atomTexts.size(), kNotLooked);
    atoms_ = std::make_unique<Patterns>(std::move(atomTexts), true, utf8);
  }
}

Expressions::~Expressions() = default;

// Candidates' lines are matched one at a time while they are far apart; once the lines tried fill half
// of the text gone through, the rest is matched at once, which then costs less.
std::pair<std::size_t, std::size_t> Expressions::Find(std::size_t index, SearchedText searched,
                                                      std::size_t from) const {
  const std::string_view text = searched.text;
  if (expressions_[index] == nullptr || from > text.size()) {
    return {kNone, 0};
  }
  const std::vector<std::size_t>& required = atomsOf_[index];
  if (required.empty()) {
    return Match(index, text, from, text.size());
  }
  std::size_t linesTried = 0;
  for (std::size_t at = from; at < text.size();) {
    const std::size_t candidate = FirstCandidate(required, searched, at);
    if (candidate == kNone) {
      return {kNone, 0};
    }
    const std::size_t newlineBefore = text.rfind('\n', candidate);
    const std::size_t lineStart = std::max(at, newlineBefore == kNone ? 0 : newlineBefore + 1);
    if (2 * linesTried > at - from) {
      return Match(index, text, lineStart, text.size());
    }
    const std::size_t lineEnd = std::min(text.find('\n', candidate), text.size());
    if (const auto found = Match(index, text, lineStart, lineEnd); found.first != kNone) {
      return found;
    }
    linesTried += lineEnd + 1 - lineStart;
    at = lineEnd + 1;
  }
  return {kNone, 0};
}

// Each atom's next occurrence is kept while the searches go forward through one text, so that an atom
// that is rare, or absent, is not looked for to the text's end again for each candidate another gives.
std::size_t Expressions::FirstCandidate(const std::vector<std::size_t>& required, SearchedText searched,
                                        std::size_t from) const {
  if (searched.text.data() != keptFor_.data() || searched.text.size() != keptFor_.size() ||
      from < keptFrom_) {
    Forget();
    keptFor_ = searched.text;
  }
  keptFrom_ = from;
  std::size_t candidate = kNone;
  for (const std::size_t atom : required) {
    std::size_t& next = nextAtoms_[atom];
    if (next == kNotLooked || (next != kNone && next < from)) {
      next = atoms_->Find(atom, searched, from).first;
    }
    candidate = std::min(candidate, next);
  }
  return candidate;
}

void Expressions::Forget() const { std::fill(nextAtoms_.begin(), nextAtoms_.end(), kNotLooked); }

std::pair<std::size_t, std::size_t> Expressions::Match(std::size_t index, std::string_view text,
                                                       std::size_t from, std::size_t to) const {
  re2::StringPiece match;
  if (!expressions_[index]->Match(re2::StringPiece(text.data(), text.size()), from, to, re2::RE2::UNANCHORED,
                                  &match, 1)) {
    return {kNone, 0};
  }
  return {static_cast<std::size_t>(match.data() - text.data()), match.size()};
}

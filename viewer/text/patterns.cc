#include "text/patterns.h"

#include <algorithm>
#include <cstring>

#include "platform/case_fold.h"

namespace {

// How often a byte is taken to occur in logs, roughly: blanks, digits and common lower case letters
// most, upper case letters and bytes beyond ASCII least.
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

// Where in the pattern its rarest byte is.
std::size_t AnchorOf(const std::string& text) {
  const auto rarest = std::min_element(text.begin(), text.end(), [](char a, char b) {
    return CommonnessOf(static_cast<unsigned char>(a)) < CommonnessOf(static_cast<unsigned char>(b));
  });
  return static_cast<std::size_t>(rarest - text.begin());
}

// Candidates that fail more often than one in this many bytes searched hand the search to the searcher.
constexpr std::size_t kBytesPerFailedCandidate = 64;
constexpr std::size_t kFailedCandidatesAllowed = 16;

}  // namespace

Patterns::Patterns(std::vector<std::optional<std::string>> texts, bool ignoreCase, bool utf8)
    : ignoreCase_(ignoreCase), utf8_(utf8) {
  for (std::optional<std::string>& given : texts) {
    findable_.push_back(given.has_value());
    texts_.push_back(std::move(given).value_or(std::string()));
    if (ignoreCase_) {
      FoldCase(texts_.back(), utf8_);
    }
  }
  // The searchers refer to the texts, which stay where they are from now on.
  searchers_.reserve(texts_.size());
  for (const std::string& text : texts_) {
    searchers_.emplace_back(text.begin(), text.end());
    anchors_.push_back(text.empty() ? 0 : AnchorOf(text));
  }
}

// The C library's memchr, which goes through text far faster than any skip a short pattern allows, finds
// where the pattern's rarest byte is; each such place is a candidate. Where candidates keep failing, the
// searcher takes over, so that no text makes the search slower than its skips.
std::pair<std::size_t, std::size_t> Patterns::Find(std::size_t index, std::string_view text,
                                                   std::size_t from) const {
  const std::string& pattern = texts_[index];
  const std::size_t anchor = anchors_[index];
  if (!findable_[index]) {
    return {std::string_view::npos, 0};
  }
  std::size_t failed = 0;
  for (std::size_t at = from; at + pattern.size() <= text.size();) {
    const void* hit =
        std::memchr(text.data() + at + anchor, pattern[anchor], text.size() - pattern.size() + 1 - at);
    if (hit == nullptr) {
      break;
    }
    const std::size_t start = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) - anchor;
    if (std::memcmp(text.data() + start, pattern.data(), pattern.size()) == 0) {
      return {start, pattern.size()};
    }
    at = start + 1;
    if (++failed > kFailedCandidatesAllowed && failed * kBytesPerFailedCandidate > at - from) {
      const auto [found, end] = searchers_[index](text.begin() + static_cast<std::ptrdiff_t>(at), text.end());
      if (found == text.end()) {
        break;
      }
      return {static_cast<std::size_t>(found - text.begin()), pattern.size()};
    }
  }
  return {std::string_view::npos, 0};
}

bool Patterns::FoundIn(std::string_view text) const {
  std::string scratch;
  const std::string_view searched = Searched(text, scratch);
  for (std::size_t index = 0; index < texts_.size(); ++index) {
    if (Find(index, searched, 0).first != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

std::string_view Patterns::Searched(std::string_view text, std::string& scratch) const {
  if (!ignoreCase_) {
    return text;
  }
  scratch.assign(text);
  FoldCase(scratch, utf8_);
  return scratch;
}

namespace {

// The length of the UTF-8 sequence a lead byte begins; 0 for a byte no sequence begins with.
std::size_t SequenceLength(unsigned char lead) {
  return lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
}

}  // namespace

void FoldCase(std::span<char> text, bool utf8) {
  // ASCII first, in a loop simple enough for the compiler to make it wide.
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    c = static_cast<char>(static_cast<unsigned char>(byte - 'A') < 26 ? byte + ('a' - 'A') : byte);
  }
  if (!utf8) {
    return;
  }
  const auto isAscii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
  for (auto at = std::find_if_not(text.begin(), text.end(), isAscii); at != text.end();
       at = std::find_if_not(at, text.end(), isAscii)) {
    const std::size_t length = SequenceLength(static_cast<unsigned char>(*at));
    if (length == 0 || static_cast<std::size_t>(text.end() - at) < length) {
      ++at;
      continue;
    }
    FoldCharacter(std::span(at, length));
    at += static_cast<std::ptrdiff_t>(length);
  }
}

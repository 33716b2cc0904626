#include "text/case_fold.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string_view>

#include "platform/case_fold.h"
#include "text/ascii.h"

namespace {

constexpr char32_t kNotAskedYet = 0;

bool IsAsciiLetter(unsigned char byte) { return static_cast<unsigned char>((byte | 0x20U) - 'a') < 26; }

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U; }

// The length of the UTF-8 sequence a lead byte begins; 0 for a byte no sequence begins with.
std::size_t SequenceLength(unsigned char lead) {
  return lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
}

char32_t CodePointOf(std::span<const char> character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  const auto continuation = character.subspan(1);
  return std::accumulate(
      continuation.begin(), continuation.end(),
      static_cast<char32_t>(lead & (character.size() == 2 ? 0x1FU : 0x0FU)),
      [](char32_t codePoint, char c) { return (codePoint << 6) | (static_cast<unsigned char>(c) & 0x3FU); });
}

// Writes a code point of two or three bytes in UTF-8 over `character`, which has that length.
void Encode(char32_t codePoint, std::span<char> character) {
  if (character.size() == 2) {
    character[0] = static_cast<char>(0xC0U | (codePoint >> 6));
  } else {
    character[0] = static_cast<char>(0xE0U | (codePoint >> 12));
    character[1] = static_cast<char>(0x80U | ((codePoint >> 6) & 0x3FU));
  }
  character.back() = static_cast<char>(0x80U | (codePoint & 0x3FU));
}

// A code point from U+0080 to U+FFFF written in UTF-8 into `bytes`; the bytes it takes.
std::span<char> Encoded(char32_t codePoint, std::array<char, 3>& bytes) {
  const std::span<char> character = std::span(bytes).first(codePoint < 0x800 ? 2 : 3);
  Encode(codePoint, character);
  return character;
}

// The lower case of a character of two or three bytes (U+0080 to U+FFFF), asked of the platform once
// for each character met: the platform's conversions cost hundreds of instructions a character.
char32_t LowerCaseOf(char32_t codePoint) {
  static std::array<char16_t, 0x10000> folded{};
  if (folded[codePoint] == kNotAskedYet) {
    std::array<char, 3> bytes{};
    const std::span<char> character = Encoded(codePoint, bytes);
    platform::FoldCharacter(character);
    folded[codePoint] = static_cast<char16_t>(CodePointOf(character));
  }
  return folded[codePoint];
}

// What is known of a page of 64 characters below U+10000.
enum class PageState : std::uint8_t { kUnknown, kHolds, kFails };
using PageStates = std::array<PageState, 0x10000 / 64>;

// Whether every character of the page passes `test`, asked once per page and kept in `states`.
template <typename Test>
bool EveryCharacterOfPage(std::size_t page, PageStates& states, const Test& test) {
  if (states[page] == PageState::kUnknown) {
    bool holds = true;
    for (char32_t codePoint = page * 64; holds && codePoint < (page + 1) * 64; ++codePoint) {
      holds = test(codePoint);
    }
    states[page] = holds ? PageState::kHolds : PageState::kFails;
  }
  return states[page] == PageState::kHolds;
}

// Whether no character of a page of 64 below U+10000 (U+AC00 to U+AC3F, say) changes when folded, asked
// once per page: a log repeats few pages many times (Hangul, which has no case, in every line of a Korean
// log), and most characters of it are then passed over without being decoded.
bool IsCaselessPage(std::size_t page) {
  static PageStates states{};
  return EveryCharacterOfPage(page, states,
                              [](char32_t codePoint) { return LowerCaseOf(codePoint) == codePoint; });
}

// Whether no character of a page of 64 below U+10000 has another case, lower or upper.
bool IsPageWithoutCase(std::size_t page) {
  static PageStates states{};
  return EveryCharacterOfPage(page, states, [](char32_t codePoint) {
    std::array<char, 3> bytes{};
    return !platform::HasOtherCase(Encoded(codePoint, bytes));
  });
}

// The page of 64 of the whole character of two or three bytes that begins `text` in its shortest form;
// empty for anything else.
std::optional<std::size_t> PageAtStart(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = SequenceLength(lead);
  if (length < 2 || length > 3 || text.size() < length ||
      !std::all_of(text.begin() + 1, text.begin() + static_cast<std::ptrdiff_t>(length), IsContinuation)) {
    return std::nullopt;
  }
  // The page is told by the first two bytes; one below the least of its length is an overlong form.
  const std::size_t page = length == 2 ? lead & 0x1FU : ((lead & 0x0FU) << 6) | (text[1] & 0x3FU);
  return page < (length == 2 ? 2U : 32U) ? std::nullopt : std::optional(page);
}

// Folds the character that begins at the start of `text`, when it is a whole one in its shortest form;
// returns the bytes taken, 1 for a byte that begins none.
std::size_t FoldCharacterAtStart(std::span<char> text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = SequenceLength(lead);
  if (length == 0 || text.size() < length ||
      !std::all_of(text.begin() + 1, text.begin() + static_cast<std::ptrdiff_t>(length), IsContinuation)) {
    return 1;
  }
  const std::span<char> character = text.first(length);
  if (length == 4) {
    platform::FoldCharacter(character);
    return length;
  }
  const std::optional<std::size_t> page = PageAtStart(std::string_view(text.data(), length));
  if (!page) {
    return 1;
  }
  if (IsCaselessPage(*page)) {
    return length;
  }
  const char32_t codePoint = CodePointOf(character);
  if (const char32_t lower = LowerCaseOf(codePoint); lower != codePoint) {
    Encode(lower, character);
  }
  return length;
}

}  // namespace

void FoldAsciiCase(std::span<const char> text, std::span<char> folded) {
  // A loop simple enough for the compiler to make it wide.
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    folded[at] = static_cast<char>(static_cast<unsigned char>(byte - 'A') < 26 ? byte + ('a' - 'A') : byte);
  }
}

void FoldCase(std::span<char> text, bool utf8) {
  FoldAsciiCase(text, text);
  if (utf8) {
    FoldUtf8Characters(text);
  }
}

void FoldUtf8Characters(std::span<char> text) {
  for (std::size_t at = 0; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      at += AsciiRunLength(std::string_view(text.data() + at, text.size() - at));
    } else {
      at += FoldCharacterAtStart(text.subspan(at));
    }
  }
}

FoldingNeeded FoldingFor(std::string_view folded, bool utf8) {
  bool letters = false;
  for (std::size_t at = 0; at < folded.size();) {
    const auto byte = static_cast<unsigned char>(folded[at]);
    if (byte < 0x80 || !utf8) {
      // Beyond ASCII, raw bytes are compared as they are.
      letters = letters || IsAsciiLetter(byte);
      ++at;
      continue;
    }
    const std::optional<std::size_t> page = PageAtStart(folded.substr(at));
    if (!page || !IsPageWithoutCase(*page)) {
      return FoldingNeeded::kFull;
    }
    at += SequenceLength(byte);
  }
  return letters ? FoldingNeeded::kAscii : FoldingNeeded::kNone;
}

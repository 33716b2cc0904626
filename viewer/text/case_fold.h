#pragma once

#include <span>
#include <string_view>

// Folds text to lower case in place, keeping its length: ASCII letters always and, in UTF-8 text, every
// other character whose lower case form the platform knows and that is as long in UTF-8. A byte that
// begins no whole character stands alone, so a stray byte never hides the character after it.
void FoldCase(std::span<char> text, bool utf8);
// Folds the characters beyond ASCII of UTF-8 text, as FoldCase does.
void FoldUtf8Characters(std::span<char> text);
// Writes `text` into `folded`, as long, with only its ASCII letters folded. A text searched only for
// ASCII bytes matches there where it matches in the fully folded text: no other character folds into
// ASCII bytes, its length being kept.
void FoldAsciiCase(std::span<const char> text, std::span<char> folded);

// How much of a text's case a search for `folded`, a text folded by FoldCase, needs folded: none when
// no character of it has another case (Hangul, CJK, digits, signs), so that its bytes are searched as
// they are; only the ASCII letters when no character beyond ASCII has one; otherwise every character.
// A character has no case here when no character of its page of 64 has another case either way, which
// also keeps out a lower case letter without an upper case that another character folds into.
enum class FoldingNeeded { kNone, kAscii, kFull };
FoldingNeeded FoldingFor(std::string_view folded, bool utf8);

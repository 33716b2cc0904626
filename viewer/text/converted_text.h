#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/charset_converter.h"

// Whole texts through the system's converters.

// Whether the converter, from its initial state, gives each ASCII byte as that byte at once, alone and in
// a run, so that runs of ASCII between whole characters can pass it by. True of the sets built on ASCII
// (CP949, EUC-KR, Shift_JIS, ISO-8859-n, ...); false of UTF-16, EBCDIC, sets with shift sequences
// (ISO-2022-*, UTF-7) and those that hold a letter back to join it with the next character (CP1258).
// Leaves the converter in its initial state.
bool KeepsAscii(platform::CharsetConverter& converter);

// The whole of `text` converted, an invalid or incomplete character as the replacement.
std::string ConvertedText(platform::CharsetConverter& converter, std::string_view text);
// `text` from the set `from` into the set `to`, as it is when they are the same or unknown; none when a
// character of it has no exact form in `to` (it would come out as a stand-in such as `?`).
std::optional<std::string> TextIn(std::string_view text, const char* from, const char* to);

// Lower case by the C library's wide-character tables, read in a UTF-8 locale of its own so that the
// process's locale does not matter.
#include "platform/case_fold.h"

#include <locale.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>

namespace platform {

namespace {

// The C library's wide characters read in a UTF-8 locale of its own; null when it has none.
locale_t Utf8Locale() {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  return utf8;
}

// The wide character that the whole of `character` encodes; WEOF when it is not one.
wint_t WideOf(std::span<const char> character) {
  std::mbstate_t state{};
  wchar_t wide = 0;
  return std::mbrtowc(&wide, character.data(), character.size(), &state) == character.size()
             ? static_cast<wint_t>(wide)
             : WEOF;
}

}  // namespace

void FoldCharacter(std::span<char> character) {
  if (Utf8Locale() == nullptr) {
    return;
  }
  const locale_t before = uselocale(Utf8Locale());
  if (const wint_t wide = WideOf(character); wide != WEOF) {
    char folded[MB_LEN_MAX];
    std::mbstate_t state{};
    if (std::wcrtomb(folded, static_cast<wchar_t>(std::towlower(wide)), &state) == character.size()) {
      std::copy_n(folded, character.size(), character.begin());
    }
  }
  uselocale(before);
}

bool HasOtherCase(std::span<const char> character) {
  if (Utf8Locale() == nullptr) {
    return true;
  }
  const locale_t before = uselocale(Utf8Locale());
  const wint_t wide = WideOf(character);
  const bool cased = wide == WEOF || std::towlower(wide) != wide || std::towupper(wide) != wide;
  uselocale(before);
  return cased;
}

}  // namespace platform

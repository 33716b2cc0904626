// Lower case by the C library's wide-character tables, read in a UTF-8 locale of its own so that the
// process's locale does not matter.
#include "platform/case_fold.h"

#include <locale.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>

namespace platform {

void FoldCharacter(std::span<char> character) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (utf8 == nullptr) {
    return;
  }
  const locale_t before = uselocale(utf8);
  std::mbstate_t state{};
  wchar_t wide = 0;
  if (std::mbrtowc(&wide, character.data(), character.size(), &state) == character.size()) {
    char folded[MB_LEN_MAX];
    state = {};
    if (std::wcrtomb(folded, static_cast<wchar_t>(std::towlower(static_cast<wint_t>(wide))), &state) ==
        character.size()) {
      std::copy_n(folded, character.size(), character.begin());
    }
  }
  uselocale(before);
}

}  // namespace platform

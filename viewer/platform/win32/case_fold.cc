// Lower case by the system's own tables.
#include "platform/case_fold.h"

#include <windows.h>

#include <algorithm>
#include <array>

namespace platform {

void FoldCharacter(std::span<char> character) {
  std::array<wchar_t, 2> wide{};
  const int units =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, character.data(), static_cast<int>(character.size()),
                          wide.data(), static_cast<int>(wide.size()));
  if (units <= 0) {
    return;
  }
  CharLowerBuffW(wide.data(), static_cast<DWORD>(units));
  std::array<char, 4> folded{};
  if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, folded.data(), static_cast<int>(folded.size()),
                          nullptr, nullptr) == static_cast<int>(character.size())) {
    std::copy_n(folded.begin(), character.size(), character.begin());
  }
}

}  // namespace platform

// Lower case by the system's own tables.
#include "platform/case_fold.h"

#include <windows.h>

#include <algorithm>
#include <array>

namespace platform {

namespace {

// The UTF-16 units of one UTF-8 character; 0 units when it is not one.
int WideOf(std::span<const char> character, std::array<wchar_t, 2>& wide) {
  const int units =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, character.data(), static_cast<int>(character.size()),
                          wide.data(), static_cast<int>(wide.size()));
  return units > 0 ? units : 0;
}

// The units in lower or upper case, as `change` makes them.
std::array<wchar_t, 2> InCase(std::array<wchar_t, 2> wide, int units, DWORD(WINAPI* change)(LPWSTR, DWORD)) {
  change(wide.data(), static_cast<DWORD>(units));
  return wide;
}

}  // namespace

void FoldCharacter(std::span<char> character) {
  std::array<wchar_t, 2> wide{};
  const int units = WideOf(character, wide);
  if (units == 0) {
    return;
  }
  CharLowerBuffW(wide.data(), static_cast<DWORD>(units));
  std::array<char, 4> folded{};
  if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, folded.data(), static_cast<int>(folded.size()),
                          nullptr, nullptr) == static_cast<int>(character.size())) {
    std::copy_n(folded.begin(), character.size(), character.begin());
  }
}

bool HasOtherCase(std::span<const char> character) {
  std::array<wchar_t, 2> wide{};
  const int units = WideOf(character, wide);
  if (units == 0) {
    return true;
  }
  return InCase(wide, units, CharLowerBuffW) != wide || InCase(wide, units, CharUpperBuffW) != wide;
}

}  // namespace platform

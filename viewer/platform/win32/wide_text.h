#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// What the Windows platform sources share among themselves: cmdtail's own text (its arguments, the
// names of its files, its messages) is UTF-8 inside the program and UTF-16 at the system's calls.
namespace platform::win32 {

// UTF-8 as UTF-16, for the system's wide calls; an invalid byte as U+FFFD.
inline std::wstring WideText(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 0, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

// UTF-16 in the code page, a character it lacks as its stand-in there (`?`), a lone surrogate in UTF-8
// as U+FFFD.
inline std::string CodePageText(std::wstring_view wide, UINT codePage) {
  if (wide.empty()) {
    return {};
  }
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

inline std::string Utf8Text(std::wstring_view wide) { return CodePageText(wide, CP_UTF8); }

// Writes all of the text to the console; false when it cannot.
inline bool WriteToConsole(HANDLE console, std::wstring_view text) {
  while (!text.empty()) {
    DWORD written = 0;
    if (WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) == FALSE) {
      return false;
    }
    text.remove_prefix(written);
  }
  return true;
}

}  // namespace platform::win32

#include "platform/terminal.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "platform/output.h"
#include "platform/stop.h"
#include "platform/wait.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

constexpr ULONGLONG kHoldMilliseconds = 10000;

HANDLE StandardOutputHandle() { return GetStdHandle(STD_OUTPUT_HANDLE); }

// UTF-8 text to a console, converted to UTF-16 a block at a time and written with WriteConsoleW.
class ConsoleText final : public OutputSink {
 public:
  platform::WriteResult Write(std::span<const char> text) override {
    while (!text.empty()) {
      const std::size_t length = BlockLength(text);
      const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(length), wide_.data(),
                                            static_cast<int>(wide_.size()));
      if (count <= 0 || !WriteWide(static_cast<DWORD>(count))) {
        return platform::WriteResult::kFailed;
      }
      text = text.subspan(length);
      if (platform::StopRequested()) {
        return platform::WriteResult::kStopped;
      }
    }
    return platform::WriteResult::kWritten;
  }

 private:
  // As much as the wide block takes, cut before a character's first byte, never inside it (UTF-8
  // continuation bytes are 10xxxxxx).
  [[nodiscard]] std::size_t BlockLength(std::span<const char> text) const {
    if (text.size() <= wide_.size()) {
      return text.size();
    }
    std::size_t end = wide_.size();
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0U) == 0x80U) {
      --end;
    }
    return end > 0 ? end : wide_.size();
  }

  bool WriteWide(DWORD count) {
    return platform::win32::WriteToConsole(StandardOutputHandle(), {wide_.data(), count});
  }

  std::array<wchar_t, 4096> wide_{};
};

}  // namespace

bool OutputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(StandardOutputHandle(), &mode) != FALSE;
}

bool ErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

// Decoded text reaches a console as wide characters, and is UTF-8 elsewhere; raw bytes are read in the
// console's code page.
bool ReadsUtf8(bool decoded) { return decoded || GetConsoleOutputCP() == CP_UTF8; }

std::unique_ptr<OutputSink> OpenConsoleText() {
  return OutputIsTerminal() ? std::make_unique<ConsoleText>() : nullptr;
}

struct Session::Saved {
  DWORD mode = 0;
  bool modeChanged = false;
  std::wstring title;
  bool titleChanged = false;
};

Session::Session() : saved_(std::make_unique<Saved>()) {}

Session::~Session() {
  if (saved_->modeChanged) {
    SetConsoleMode(StandardOutputHandle(), saved_->mode);
  }
  if (saved_->titleChanged) {
    SetConsoleTitleW(saved_->title.c_str());
  }
}

bool Session::EnableColour() {
  DWORD mode = 0;
  if (GetConsoleMode(StandardOutputHandle(), &mode) == FALSE) {
    return true;
  }
  if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) {
    return true;
  }
  if (SetConsoleMode(StandardOutputHandle(), mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) == FALSE) {
    return false;
  }
  saved_->mode = mode;
  saved_->modeChanged = true;
  return true;
}

void Session::SetTitle(const std::string& text) {
  if (!OutputIsTerminal()) {
    return;
  }
  if (!saved_->titleChanged) {
    std::array<wchar_t, 1024> title{};
    GetConsoleTitleW(title.data(), static_cast<DWORD>(title.size()));
    saved_->title = title.data();
    saved_->titleChanged = true;
  }
  SetConsoleTitleW(platform::win32::WideText(text + " - cmdtail").c_str());
}

void FlashUntilInFront() {
  HWND window = GetConsoleWindow();
  if (window == nullptr) {
    return;
  }
  FLASHWINFO flash{.cbSize = sizeof(FLASHWINFO),
                   .hwnd = window,
                   .dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG,
                   .uCount = 0,
                   .dwTimeout = 0};
  FlashWindowEx(&flash);
}

// Only where the error can be read: standard error is the console, which cmdtail has to itself.
void HoldErrorInView() {
  DWORD processes[2];
  DWORD mode = 0;
  if (GetConsoleProcessList(processes, 2) != 1 ||
      GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) == FALSE) {
    return;
  }
  const HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (input == INVALID_HANDLE_VALUE) {
    return;
  }
  std::fputs("Press any key to close this window.\n", stderr);
  std::fflush(stderr);
  FlushConsoleInputBuffer(input);
  const ULONGLONG deadline = GetTickCount64() + kHoldMilliseconds;
  // Ctrl-C and Ctrl-Break are no key records but console events, which ask for a stop: the wait for a key
  // is short, and the stop is looked at after each.
  for (ULONGLONG now = GetTickCount64(); now < deadline && !StopRequested(); now = GetTickCount64()) {
    const DWORD waited = WaitForSingleObject(
        input,
        static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, static_cast<ULONGLONG>(kPollMilliseconds))));
    if (waited == WAIT_TIMEOUT) {
      continue;
    }
    if (waited != WAIT_OBJECT_0) {
      break;
    }
    INPUT_RECORD record{};
    DWORD count = 0;
    if (ReadConsoleInputW(input, &record, 1, &count) == FALSE ||
        (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown != FALSE)) {
      break;
    }
  }
  CloseHandle(input);
}

}  // namespace platform

#include <windows.h>

#include <array>

#include "terminal.h"

namespace terminal {
namespace {

namespace vp = viewer_platform;

HANDLE StandardOutputHandle() { return GetStdHandle(STD_OUTPUT_HANDLE); }

// UTF-8 text to a console, converted to UTF-16 a block at a time and written with WriteConsoleW.
class ConsoleText final : public OutputSink {
 public:
  vp::WriteResult Write(std::span<const char> text) override {
    while (!text.empty()) {
      const std::size_t length = BlockLength(text);
      const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(length), wide_.data(),
                                            static_cast<int>(wide_.size()));
      if (count <= 0 || !WriteWide(static_cast<DWORD>(count))) {
        return vp::WriteResult::kFailed;
      }
      text = text.subspan(length);
      if (vp::StopRequested()) {
        return vp::WriteResult::kStopped;
      }
    }
    return vp::WriteResult::kWritten;
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
    for (DWORD done = 0; done < count;) {
      DWORD written = 0;
      if (WriteConsoleW(StandardOutputHandle(), wide_.data() + done, count - done, &written, nullptr) ==
          FALSE) {
        return false;
      }
      done += written;
    }
    return true;
  }

  std::array<wchar_t, 4096> wide_{};
};

}  // namespace

bool OutputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(StandardOutputHandle(), &mode) != FALSE;
}

bool EnableColour() {
  DWORD mode = 0;
  if (GetConsoleMode(StandardOutputHandle(), &mode) == FALSE) {
    return true;
  }
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
         SetConsoleMode(StandardOutputHandle(), mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != FALSE;
}

std::unique_ptr<OutputSink> OpenConsoleText() {
  return OutputIsTerminal() ? std::make_unique<ConsoleText>() : nullptr;
}

}  // namespace terminal

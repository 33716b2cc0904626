// Standard output on Windows: raw writes in binary mode that give way to a stop request; cmdtail's own
// lines on standard error.
#include "platform/output.h"

#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/charset_converter.h"
#include "platform/stop.h"
#include "platform/win32/wide_text.h"

namespace platform {

// A write to a pipe whose reader has gone away fails, and that is where it is noticed.
bool OutputGone() { return false; }

WriteResult WriteOut(std::span<const char> bytes) {
  while (!bytes.empty()) {
    if (StopRequested()) {
      return WriteResult::kStopped;
    }
    const unsigned chunk = bytes.size() > 0x10000 ? 0x10000U : static_cast<unsigned>(bytes.size());
    const int written = _write(1, bytes.data(), chunk);
    if (written < 0) {
      return errno == EPIPE || errno == EINVAL ? WriteResult::kOutputGone : WriteResult::kFailed;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return WriteResult::kWritten;
}

void WriteOutAtEnd(std::string_view bytes) {
  while (!bytes.empty()) {
    const int written = _write(1, bytes.data(), static_cast<unsigned>(bytes.size()));
    if (written <= 0) {
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

// Redirected, the line is written through the C runtime's standard error, whose text mode ends it in
// CR LF, as before.
void WriteErrorLine(std::string_view line) {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(error, &mode) != FALSE) {
    win32::WriteToConsole(error, win32::WideText(line) + L"\r\n");
    return;
  }
  const std::string text = InSystemCharset(line) + '\n';
  std::fwrite(text.data(), 1, text.size(), stderr);
  // The C runtime holds what fwrite gives a redirected standard error until it is flushed.
  std::fflush(stderr);
}

}  // namespace platform

#pragma once

#include <span>
#include <string_view>

// Writing standard output and cmdtail's own lines on standard error, the operating system's way, one source
// per system (posix/, win32/).
namespace platform {

enum class WriteResult { kWritten, kOutputGone, kStopped, kFailed };

// Writes all bytes to standard output, giving way to a stop request.
WriteResult WriteOut(std::span<const char> bytes);
// Writes a last few bytes to standard output even after a stop, giving a full non-blocking output a
// second to take them.
void WriteOutAtEnd(std::string_view bytes);
// True once standard output is a pipe or socket whose reader has gone away.
bool OutputGone();

// Writes one line of cmdtail's own text and its line end to standard error. On a Windows console the
// line goes out as wide characters, so that every character of it shows whatever the console's code
// page; elsewhere it is in the system's character set (see InSystemCharset).
void WriteErrorLine(std::string_view line);

}  // namespace platform

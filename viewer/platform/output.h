#pragma once

#include <span>
#include <string_view>

// Writing standard output, the operating system's way, one source per system (posix/, win32/).
namespace viewer_platform {

enum class WriteResult { kWritten, kOutputGone, kStopped, kFailed };

// Writes all bytes to standard output, giving way to a stop request.
WriteResult WriteOut(std::span<const char> bytes);
// Writes a last few bytes to standard output even after a stop, giving a full non-blocking output a
// second to take them.
void WriteOutAtEnd(std::string_view bytes);
// True once standard output is a pipe or socket whose reader has gone away.
bool OutputGone();

}  // namespace viewer_platform

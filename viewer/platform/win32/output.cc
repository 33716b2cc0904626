// Standard output on Windows: raw writes in binary mode that give way to a stop request.
#include "platform/output.h"

#include <io.h>

#include <cerrno>

#include "platform/stop.h"

namespace viewer_platform {

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

}  // namespace viewer_platform

// Standard output on POSIX: raw writes that give way to a stop request, and a check for a reader
// that has gone away; cmdtail's own lines on standard error.
#include "platform/output.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/posix/descriptors.h"
#include "platform/stop.h"

namespace platform {
namespace {

bool IsPipeOrSocket(int fd) {
  struct stat status {};
  return fstat(fd, &status) == 0 && (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode));
}

// Waits until a non-blocking output takes bytes again, its reader goes away or a stop is requested.
void WaitUntilWritable() {
  pollfd waits[2] = {{STDOUT_FILENO, POLLOUT, 0}, {posix::WakeDescriptor(), POLLIN, 0}};
  poll(waits, 2, -1);
}

}  // namespace

int posix::OutputToWatch() {
  static const int watched = IsPipeOrSocket(STDOUT_FILENO) ? STDOUT_FILENO : -1;
  return watched;
}

bool OutputGone() {
  pollfd output{posix::OutputToWatch(), 0, 0};
  return poll(&output, 1, 0) > 0 && (output.revents & (POLLERR | POLLHUP)) != 0;
}

WriteResult WriteOut(std::span<const char> bytes) {
  while (!bytes.empty()) {
    if (StopRequested()) {
      return WriteResult::kStopped;
    }
    const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(written));
    } else if (errno == EPIPE) {
      return WriteResult::kOutputGone;
    } else if (errno == EAGAIN) {
      WaitUntilWritable();
    } else if (errno != EINTR) {
      return WriteResult::kFailed;
    }
  }
  return WriteResult::kWritten;
}

void WriteOutAtEnd(std::string_view bytes) {
  // A full non-blocking output is given a second to take the bytes, whatever stop is pending.
  constexpr int kPatienceMilliseconds = 1000;
  while (!bytes.empty()) {
    const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
    pollfd output{STDOUT_FILENO, POLLOUT, 0};
    if (written < 0 && errno != EINTR && (errno != EAGAIN || poll(&output, 1, kPatienceMilliseconds) <= 0)) {
      return;
    }
    bytes.remove_prefix(written < 0 ? 0 : static_cast<std::size_t>(written));
  }
}

void WriteErrorLine(std::string_view line) {
  const std::string text = std::string(line) + '\n';
  std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace platform

// Stop requests on POSIX: SIGINT and SIGTERM set a flag and write to a pipe, so that any poll() that
// includes the pipe ends at once.
#include "platform/stop.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/descriptors.h"

namespace platform {
namespace {

volatile sig_atomic_t g_stopRequested = 0;
int g_wakePipe[2] = {-1, -1};

void RequestStop(int /*signal*/) {
  const int savedErrno = errno;
  g_stopRequested = 1;
  const char byte = 0;
  [[maybe_unused]] const ssize_t ignored = write(g_wakePipe[1], &byte, 1);
  errno = savedErrno;
}

bool SetHandler(int signalNumber, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocked call returns so the stop is seen.
  action.sa_flags = 0;
  return sigaction(signalNumber, &action, nullptr) == 0;
}

}  // namespace

int posix::WakeDescriptor() { return g_wakePipe[0]; }

bool PrepareProcess() {
  if (pipe2(g_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    return false;
  }
  return SetHandler(SIGPIPE, SIG_IGN) && SetHandler(SIGINT, RequestStop) && SetHandler(SIGTERM, RequestStop);
}

bool StopRequested() { return g_stopRequested != 0; }

}  // namespace platform

// The POSIX platform layer: Windows-form paths are read with every backslash as a separator, and the
// viewer's command line is split as the Microsoft C runtime would split it, then started directly
// with posix_spawn, never through a shell.
#include "platform.h"

#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <span>

#include "bounds.h"
#include "command_line.h"
#include "common/posix_path.h"

namespace {

// Copies a Windows-form path, read with every backslash as a separator; false when it does not fit.
bool CopyAsPosixPath(const char* path, std::span<char, kPathSize> posixPath) {
  const std::size_t length = std::strlen(path);
  if (length >= posixPath.size()) {
    return false;
  }
  std::memcpy(posixPath.data(), path, length + 1);
  ToPosixSeparators(posixPath.data());
  return true;
}

}  // namespace

namespace platform {

int TestAccess(const char* path, int mode) {
  char posixPath[kPathSize];
  if (!CopyAsPosixPath(path, posixPath)) {
    return -1;
  }
  return access(posixPath, mode == kAccessReadable ? R_OK : F_OK) == 0 ? 0 : -1;
}

bool MayOpenForReading(const char* /*path*/) { return true; }

void PauseMilliseconds(unsigned milliseconds) {
  std::fflush(stdout);
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void IgnoreClosedOutput() { std::signal(SIGPIPE, SIG_IGN); }

void StartProgram(const char* programPath, const char* commandLine) {
  char program[kPathSize];
  char storage[kCommandLineSize];
  char* args[kCommandLineSize / 2 + 2];
  if (!CopyAsPosixPath(programPath, program) || std::strlen(commandLine) >= sizeof storage) {
    return;
  }
  const int count = SplitCommandLine(commandLine, storage, args);
  if (count <= 0) {
    return;
  }
  for (int i = 0; i < count; ++i) {
    ToPosixSeparators(args[i]);
  }
  // The viewer starts as if from a shell: SIGPIPE, ignored here, at its default, and no signal blocked.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigaddset(&signals, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  // Anything buffered must reach the console before the viewer starts writing to it.
  std::fflush(stdout);
  pid_t pid = 0;
  posix_spawn(&pid, program, nullptr, &attributes, args, environ);
  posix_spawnattr_destroy(&attributes);
}

}  // namespace platform

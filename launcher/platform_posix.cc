// The POSIX platform layer: Windows-form paths are read with every backslash as a separator, and the
// viewer's command line is split as the Microsoft C runtime would split it, then started directly
// with posix_spawn, never through a shell.
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "command_line.h"
#include "platform.h"
#include "posix_path.h"

namespace {

// Longer paths and command lines than the launcher forms are refused rather than cut short.
constexpr std::size_t kMaxPathSize = 512;
constexpr std::size_t kMaxCommandLineSize = 256;

}  // namespace

namespace platform {

int TestAccess(const char* path, int mode) {
  const std::size_t length = std::strlen(path);
  char posixPath[kMaxPathSize];
  if (length >= sizeof posixPath) {
    return -1;
  }
  std::memcpy(posixPath, path, length + 1);
  ToPosixSeparators(posixPath);
  return access(posixPath, mode == kAccessReadable ? R_OK : F_OK) == 0 ? 0 : -1;
}

void PauseMilliseconds(unsigned milliseconds) {
  std::fflush(stdout);
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void StartProgram(const char* commandLine) {
  char storage[kMaxCommandLineSize];
  char* args[kMaxCommandLineSize / 2 + 2];
  if (std::strlen(commandLine) >= sizeof storage) {
    return;
  }
  const int count = SplitCommandLine(commandLine, storage, args);
  if (count <= 0) {
    return;
  }
  for (int i = 0; i < count; ++i) {
    ToPosixSeparators(args[i]);
  }
  // Anything buffered must reach the console before the viewer starts writing to it.
  std::fflush(stdout);
  pid_t pid = 0;
  posix_spawn(&pid, args[0], nullptr, nullptr, args, environ);
}

}  // namespace platform

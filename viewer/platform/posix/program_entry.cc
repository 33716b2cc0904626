// The program's start on POSIX: its arguments are the locale's bytes, as given.
#include "platform/program_entry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace {

// A standard descriptor the caller left closed is held by /dev/null opened the other way, before anything
// else can take its number: no pipe or file of cmdtail's own is then read as standard input or written as
// standard output, and reading or writing it fails as on a closed descriptor (EBADF).
void HoldClosedStandardDescriptors() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // The lowest free number, which is this one.
      open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);  // NOLINT(android-cloexec-open)
    }
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  HoldClosedStandardDescriptors();
  return ProgramMain(argc, argv);
}

// The reserve on POSIX: a descriptor open on /dev/null, closed to make room.
#include "platform/descriptor_reserve.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"

namespace platform {
namespace {

int g_reserve = -1;

}  // namespace

void HoldReserve() {
  if (g_reserve < 0) {
    const int savedErrno = errno;
    g_reserve = open("/dev/null", O_RDONLY | O_CLOEXEC);
    errno = savedErrno;
  }
}

FileHandle OpenAgainForReading(const std::string& path) {
  HoldReserve();
  FileHandle file = OpenForReading(path);
  if (file == kNoFile && OutOfDescriptors() && g_reserve >= 0) {
    close(g_reserve);
    g_reserve = -1;
    file = OpenForReading(path);
  }
  return file;
}

bool OutOfDescriptors() { return errno == EMFILE || errno == ENFILE; }

}  // namespace platform

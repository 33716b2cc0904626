// File access on POSIX: named files read at offsets, streams (pipes, FIFOs, terminals) read as bytes
// arrive, and standard input under the name "-".
#include "platform/files.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "common/posix_path.h"
#include "platform/posix/descriptors.h"
#include "platform/stop.h"

namespace platform {
namespace {

FileId ToFileId(const struct stat& status) {
  return FileId{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

bool StatusOf(FileHandle file, struct stat& status) { return fstat(static_cast<int>(file), &status) == 0; }

// Non-blocking, so that opening a FIFO does not wait for its writer: reading waits in poll(), where a
// stop request ends the wait.
int OpenNamed(const std::string& path) { return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }

// Standard input, unless it cannot be read: closed by the caller, it is held write-only (EBADF).
int OpenStandardInput() {
  const int flags = fcntl(STDIN_FILENO, F_GETFL);
  if (flags != -1 && (flags & O_ACCMODE) == O_WRONLY) {
    errno = EBADF;
    return -1;
  }
  return fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
}

}  // namespace

std::string ToNativePath(const char* path) {
  std::string native(path);
  ToPosixSeparators(native.data());
  return native;
}

FileHandle OpenForReading(const std::string& path) {
  const int fd = path == kStandardInputName ? OpenStandardInput() : OpenNamed(path);
  struct stat status {};
  if (fd >= 0 && (!StatusOf(fd, status) || S_ISDIR(status.st_mode))) {
    close(fd);
    errno = EISDIR;
    return kNoFile;
  }
  return fd < 0 ? kNoFile : fd;
}

void Close(FileHandle file) { close(static_cast<int>(file)); }

bool IdentifyOpen(FileHandle file, FileId& id) {
  struct stat status {};
  if (!StatusOf(file, status)) {
    return false;
  }
  id = ToFileId(status);
  return true;
}

bool IdentifyPath(const std::string& path, FileId& id) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return false;
  }
  id = ToFileId(status);
  return true;
}

bool CanSeek(FileHandle file) {
  struct stat status {};
  return StatusOf(file, status) && S_ISREG(status.st_mode);
}

bool IsDeleted(FileHandle file) {
  struct stat status {};
  return StatusOf(file, status) && status.st_nlink == 0;
}

std::int64_t SizeOf(FileHandle file) {
  struct stat status {};
  return StatusOf(file, status) ? status.st_size : -1;
}

std::ptrdiff_t ReadAt(FileHandle file, std::uint64_t offset, std::span<char> into) {
  ssize_t count = 0;
  do {
    count = pread(static_cast<int>(file), into.data(), into.size(), static_cast<off_t>(offset));
  } while (count < 0 && errno == EINTR);
  return count;
}

StreamRead ReadStream(FileHandle file, std::span<char> into, int limitMilliseconds, std::size_t& count) {
  const int fd = static_cast<int>(file);
  pollfd waits[3] = {{fd, POLLIN, 0}, {posix::WakeDescriptor(), POLLIN, 0}, {posix::OutputToWatch(), 0, 0}};
  if (poll(waits, 3, limitMilliseconds) < 0 && errno != EINTR) {
    return StreamRead::kFailed;
  }
  if (waits[0].revents == 0 || StopRequested()) {
    return StreamRead::kIdle;
  }
  const ssize_t got = read(fd, into.data(), into.size());
  if (got > 0) {
    count = static_cast<std::size_t>(got);
    return StreamRead::kData;
  }
  if (got == 0) {
    return StreamRead::kEnd;
  }
  return errno == EINTR || errno == EAGAIN ? StreamRead::kIdle : StreamRead::kFailed;
}

bool OpenFileHoldsDeletedName() { return false; }

std::string PathBesideProgram(const char* name) {
  char program[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  if (length <= 0) {
    return {};
  }
  const std::string path(program, static_cast<std::size_t>(length));
  return path.substr(0, path.find_last_of('/') + 1) + name;
}

SmallFileRead ReadBesideProgram(const char* name, std::size_t limit, std::string& text) {
  const std::string path = PathBesideProgram(name);
  if (path.empty()) {
    return SmallFileRead::kMissing;
  }
  // Non-blocking, so that a FIFO of that name does not keep cmdtail waiting for a writer at start.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return errno == ENOENT ? SmallFileRead::kMissing : SmallFileRead::kFailed;
  }
  struct stat status {};
  const bool known = StatusOf(fd, status);
  if (!known || !S_ISREG(status.st_mode)) {
    const int statusError = !known ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
    close(fd);
    errno = statusError;
    return statusError != 0 ? SmallFileRead::kFailed : SmallFileRead::kNotAFile;
  }
  // One byte more than the limit tells a file that is too large.
  text.resize(limit + 1);
  std::size_t size = 0;
  ssize_t count = 0;
  while (size < text.size() && (count = read(fd, text.data() + size, text.size() - size)) != 0) {
    if (count < 0 && errno != EINTR) {
      break;
    }
    size += count > 0 ? static_cast<std::size_t>(count) : 0;
  }
  const int readError = count < 0 ? errno : 0;
  close(fd);
  text.resize(size);
  errno = readError;
  return readError != 0 ? SmallFileRead::kFailed
         : size > limit ? SmallFileRead::kTooLarge
                        : SmallFileRead::kRead;
}

std::string LastErrorText() { return std::strerror(errno); }

}  // namespace platform

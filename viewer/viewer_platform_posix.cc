// The POSIX platform layer. On Linux, waiting uses inotify on the file and its directory; wherever a
// watch cannot be set, it falls back to polling.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

#include <cerrno>
#include <cstring>

#include "posix_path.h"
#include "viewer_platform.h"

namespace viewer_platform {
namespace {

constexpr int kPollMilliseconds = 100;

volatile sig_atomic_t g_stopRequested = 0;
// Written by the signal handler, so that a wait in poll() ends at once.
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
  // No SA_RESTART: a write blocked on a full pipe returns so the stop is seen.
  action.sa_flags = 0;
  return sigaction(signalNumber, &action, nullptr) == 0;
}

FileId ToFileId(const struct stat& status) {
  return FileId{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

// The poll interval, or the caller's limit when that is sooner.
int ShorterWait(int limitMilliseconds) {
  return limitMilliseconds >= 0 && limitMilliseconds < kPollMilliseconds ? limitMilliseconds
                                                                         : kPollMilliseconds;
}

bool WaitUntilWritable() {
  pollfd output{STDOUT_FILENO, POLLOUT, 0};
  return poll(&output, 1, kPollMilliseconds) >= 0 || errno == EINTR;
}

#ifdef __linux__
constexpr std::uint32_t kFileEvents = IN_MODIFY | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
constexpr std::uint32_t kDirectoryEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_ONLYDIR;

int g_inotify = -1;
int g_fileWatch = -1;
int g_directoryWatch = -1;

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

void Rewatch(int& watch, const std::string& path, std::uint32_t events) {
  if (watch >= 0) {
    inotify_rm_watch(g_inotify, watch);
  }
  watch = inotify_add_watch(g_inotify, path.c_str(), events);
}

// Reads all pending events; a watch whose object is gone is marked lost so waiting falls back to polling.
void ConsumeEvents() {
  alignas(inotify_event) char buffer[4096];
  ssize_t length = 0;
  while ((length = read(g_inotify, buffer, sizeof buffer)) > 0) {
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if ((event->mask & IN_IGNORED) != 0) {
        if (event->wd == g_fileWatch) {
          g_fileWatch = -1;
        } else if (event->wd == g_directoryWatch) {
          g_directoryWatch = -1;
        }
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

bool NotificationComplete() { return g_inotify >= 0 && g_fileWatch >= 0 && g_directoryWatch >= 0; }
#endif

}  // namespace

bool PrepareProcess() {
  if (pipe2(g_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    return false;
  }
  return SetHandler(SIGPIPE, SIG_IGN) && SetHandler(SIGINT, RequestStop) && SetHandler(SIGTERM, RequestStop);
}

bool StopRequested() { return g_stopRequested != 0; }

std::string ToNativePath(const char* path) {
  std::string native(path);
  ToPosixSeparators(native.data());
  return native;
}

FileHandle OpenForReading(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return fd < 0 ? kNoFile : fd;
}

void Close(FileHandle file) { close(static_cast<int>(file)); }

bool IdentifyOpen(FileHandle file, FileId& id) {
  struct stat status {};
  if (fstat(static_cast<int>(file), &status) != 0) {
    return false;
  }
  id = ToFileId(status);
  return true;
}

bool IdentifyPath(const std::string& path, FileId& id) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    return false;
  }
  id = ToFileId(status);
  return true;
}

std::int64_t SizeOf(FileHandle file) {
  struct stat status {};
  return fstat(static_cast<int>(file), &status) == 0 ? status.st_size : -1;
}

std::ptrdiff_t ReadAt(FileHandle file, std::uint64_t offset, std::span<char> into) {
  ssize_t count = 0;
  do {
    count = pread(static_cast<int>(file), into.data(), into.size(), static_cast<off_t>(offset));
  } while (count < 0 && errno == EINTR);
  return count;
}

bool OpenFileHoldsDeletedName() { return false; }

WriteResult WriteOut(std::span<const char> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(written));
    } else if (errno == EPIPE) {
      return WriteResult::kOutputGone;
    } else if (errno == EAGAIN && WaitUntilWritable()) {
      continue;
    } else if (errno != EINTR) {
      return WriteResult::kFailed;
    }
    if (StopRequested()) {
      return WriteResult::kStopped;
    }
  }
  return WriteResult::kWritten;
}

std::string LastErrorText() { return std::strerror(errno); }

#ifdef __linux__
void WatchForChanges(const std::string& path) {
  if (g_inotify < 0) {
    g_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (g_inotify < 0) {
      return;
    }
  }
  Rewatch(g_fileWatch, path, kFileEvents);
  Rewatch(g_directoryWatch, DirectoryOf(path), kDirectoryEvents);
}

void WaitForChange(int limitMilliseconds) {
  pollfd waits[2] = {{g_wakePipe[0], POLLIN, 0}, {g_inotify, POLLIN, 0}};
  const int timeout = NotificationComplete() ? limitMilliseconds : ShorterWait(limitMilliseconds);
  if (poll(waits, g_inotify >= 0 ? 2 : 1, timeout) > 0 && g_inotify >= 0) {
    ConsumeEvents();
  }
}
#else
void WatchForChanges(const std::string& /*path*/) {}

void WaitForChange(int limitMilliseconds) {
  pollfd wake{g_wakePipe[0], POLLIN, 0};
  poll(&wake, 1, ShorterWait(limitMilliseconds));
}
#endif

}  // namespace viewer_platform

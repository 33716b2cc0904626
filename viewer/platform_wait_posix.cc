// Stop requests and waiting for changes on POSIX. On Linux, inotify watches the open files and the
// directories the followed name passes through; wherever that cannot be trusted, waiting polls.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform_posix.h"
#include "viewer_platform.h"
#ifdef __linux__
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#endif

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
  // No SA_RESTART: a blocked call returns so the stop is seen.
  action.sa_flags = 0;
  return sigaction(signalNumber, &action, nullptr) == 0;
}

// The poll interval, or the caller's limit when that is sooner.
int ShorterWait(int limitMilliseconds) {
  return limitMilliseconds >= 0 && limitMilliseconds < kPollMilliseconds ? limitMilliseconds
                                                                         : kPollMilliseconds;
}

// Ends at the limit, a stop request or the output's reader going away; `more` is polled besides.
bool Wait(int limitMilliseconds, int more = -1) {
  pollfd waits[3] = {{g_wakePipe[0], POLLIN, 0}, {posix::OutputToWatch(), 0, 0}, {more, POLLIN, 0}};
  return poll(waits, 3, limitMilliseconds) > 0 && waits[2].revents != 0;
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

#ifdef __linux__
namespace {

constexpr std::uint32_t kFileEvents = IN_MODIFY | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
// IN_ATTRIB on the directory's entries: a new file that could not be opened yet is tried again when
// its mode or owner changes. A directory moved or deleted no longer leads to the name.
constexpr std::uint32_t kDirectoryEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_ATTRIB |
                                           IN_MOVE_SELF | IN_DELETE_SELF | IN_ONLYDIR;
constexpr std::uint32_t kDirectoryLost = IN_MOVE_SELF | IN_DELETE_SELF | IN_IGNORED;
// On the directory above: the name's directory removed, renamed or made again. Its removal raises no
// event on the directory itself while a deleted file in it is still open, as a retired log is.
constexpr std::uint32_t kParentEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

int g_inotify = -1;
std::string g_path;
std::vector<FileHandle> g_files;
std::vector<int> g_fileWatches;
std::vector<int> g_directoryWatches;
std::vector<int> g_parentWatches;
// Every watch is set and none was lost since.
bool g_complete = false;
// Writes there may raise no event: made by another machine, or below a FUSE mount.
bool g_remote = false;

bool IsRemote(const char* target) {
  struct statfs status {};
  if (statfs(target, &status) != 0) {
    return true;
  }
  switch (static_cast<unsigned long>(status.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
    case CIFS_SUPER_MAGIC:
    case FUSE_SUPER_MAGIC:
    case CODA_SUPER_MAGIC:
    case AFS_SUPER_MAGIC:
    case AFS_FS_MAGIC:
    case V9FS_MAGIC:
    case CEPH_SUPER_MAGIC:
    case OCFS2_SUPER_MAGIC:
      return true;
    default:
      return false;
  }
}

void AddWatch(const std::string& target, std::uint32_t events, std::vector<int>& watches) {
  // Added to whatever else the same directory is watched for.
  const int watch = inotify_add_watch(g_inotify, target.c_str(), events | IN_MASK_ADD);
  if (watch < 0) {
    g_complete = false;
    return;
  }
  g_remote = g_remote || IsRemote(target.c_str());
  if (std::find(watches.begin(), watches.end(), watch) == watches.end()) {
    watches.push_back(watch);
  }
}

void RemoveWatches(std::vector<int>& watches) {
  for (const int watch : watches) {
    inotify_rm_watch(g_inotify, watch);
  }
  watches.clear();
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Watches a directory, and the one above for what becomes of it, as long as it is, once watched, the
// live directory its path leads to: a watch set by path while the directory is being removed can land
// on the dying one, which raises no further event. Otherwise notification is incomplete, and waiting
// polls.
void WatchDirectory(const std::string& path) {
  AddWatch(path + "/..", kParentEvents, g_parentWatches);
  const int directory = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (directory < 0) {
    g_complete = false;
    return;
  }
  AddWatch("/proc/self/fd/" + std::to_string(directory), kDirectoryEvents, g_directoryWatches);
  struct stat watched {};
  struct stat named {};
  if (fstat(directory, &watched) != 0 || watched.st_nlink == 0 || stat(path.c_str(), &named) != 0 ||
      named.st_dev != watched.st_dev || named.st_ino != watched.st_ino) {
    g_complete = false;
  }
  close(directory);
}

bool IsSymbolicLink(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// Watches the name's directory and, through a symbolic link, its target's directory. A link that
// leads nowhere yet leaves notification incomplete, so the name is looked at again at each poll.
void WatchDirectories() {
  WatchDirectory(DirectoryOf(g_path));
  char resolved[PATH_MAX];
  if (realpath(g_path.c_str(), resolved) != nullptr) {
    WatchDirectory(DirectoryOf(resolved));
  } else if (IsSymbolicLink(g_path)) {
    g_complete = false;
  }
}

void SetWatches() {
  RemoveWatches(g_fileWatches);
  RemoveWatches(g_directoryWatches);
  RemoveWatches(g_parentWatches);
  g_complete = true;
  g_remote = false;
  for (const FileHandle file : g_files) {
    // The open file itself, whatever its name has become.
    AddWatch("/proc/self/fd/" + std::to_string(file), kFileEvents, g_fileWatches);
  }
  if (g_path != kStandardInputName) {
    WatchDirectories();
  }
}

bool Holds(const std::vector<int>& watches, int watch) {
  return std::find(watches.begin(), watches.end(), watch) != watches.end();
}

// Reads all pending events; a lost watch, or a directory moved, deleted or made (seen from the one
// above), makes notification incomplete until the watches are set again.
void ConsumeEvents() {
  alignas(inotify_event) char buffer[4096];
  ssize_t length = 0;
  while ((length = read(g_inotify, buffer, sizeof buffer)) > 0) {
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (((event->mask & IN_IGNORED) != 0 && Holds(g_fileWatches, event->wd)) ||
          ((event->mask & kDirectoryLost) != 0 && Holds(g_directoryWatches, event->wd)) ||
          ((event->mask & (IN_ISDIR | IN_IGNORED)) != 0 && Holds(g_parentWatches, event->wd))) {
        g_complete = false;
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

}  // namespace

void WatchForChanges(const std::string& path, std::span<const FileHandle> openFiles) {
  if (g_inotify < 0) {
    g_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  }
  g_path = path;
  g_files.assign(openFiles.begin(), openFiles.end());
  g_complete = false;
  if (g_inotify >= 0) {
    SetWatches();
  }
}

void WaitForChange(int limitMilliseconds) {
  const bool trusted = g_complete && !g_remote;
  if (!g_complete && g_inotify >= 0) {
    // Set again now, but this round still polls: a change since the last look raised no event.
    SetWatches();
  }
  if (Wait(trusted ? limitMilliseconds : ShorterWait(limitMilliseconds), g_inotify)) {
    ConsumeEvents();
  }
}
#else
void WatchForChanges(const std::string& /*path*/, std::span<const FileHandle> /*openFiles*/) {}

void WaitForChange(int limitMilliseconds) { Wait(ShorterWait(limitMilliseconds)); }
#endif

}  // namespace viewer_platform

// Waiting for changes on POSIX. On Linux, inotify watches the open files and the directories each
// followed name passes through; wherever that cannot be trusted, waiting polls.
#include "platform/wait.h"

#include <poll.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/posix/descriptors.h"
#ifdef __linux__
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#endif

namespace platform {
namespace {

// Ends at the limit, a stop request or the output's reader going away; `more` is polled besides.
bool PollFor(int limitMilliseconds, int more = -1) {
  pollfd waits[3] = {{posix::WakeDescriptor(), POLLIN, 0}, {posix::OutputToWatch(), 0, 0}, {more, POLLIN, 0}};
  return poll(waits, 3, limitMilliseconds) > 0 && waits[2].revents != 0;
}

}  // namespace

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

bool IsRemote(const std::string& target) {
  struct statfs status {};
  if (statfs(target.c_str(), &status) != 0) {
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

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsSymbolicLink(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool Holds(const std::vector<int>& watches, int watch) {
  return std::find(watches.begin(), watches.end(), watch) != watches.end();
}

}  // namespace

struct ChangeWaiter::State {
  // What one followed name is watched through.
  struct Name {
    std::string path;
    std::vector<FileHandle> files;
    std::vector<int> fileWatches;
    std::vector<int> directoryWatches;
    std::vector<int> parentWatches;
    // Every watch is set and none was lost since.
    bool complete = false;
    // Writes there may raise no event: made by another machine, or below a FUSE mount.
    bool remote = false;
  };

  int inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  std::vector<Name> names;
  // How many of the names use each watch: names in one directory share its watch.
  std::map<int, int> uses;

  ~State() {
    if (inotify >= 0) {
      close(inotify);
    }
  }

  void AddWatch(Name& name, const std::string& target, std::uint32_t events, std::vector<int>& watches) {
    // Added to whatever else the same file or directory is watched for.
    const int watch = inotify_add_watch(inotify, target.c_str(), events | IN_MASK_ADD);
    if (watch < 0) {
      name.complete = false;
      return;
    }
    name.remote = name.remote || IsRemote(target);
    if (!Holds(watches, watch)) {
      watches.push_back(watch);
      ++uses[watch];
    }
  }

  void RemoveWatches(std::vector<int>& watches) {
    for (const int watch : watches) {
      if (--uses[watch] == 0) {
        uses.erase(watch);
        inotify_rm_watch(inotify, watch);
      }
    }
    watches.clear();
  }

  // Watches a directory, and the one above for what becomes of it, as long as it is, once watched, the
  // live directory its path leads to: a watch set by path while the directory is being removed can
  // land on the dying one, which raises no further event. Otherwise notification is incomplete.
  void WatchDirectory(Name& name, const std::string& path) {
    AddWatch(name, path + "/..", kParentEvents, name.parentWatches);
    const int directory = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0) {
      name.complete = false;
      return;
    }
    AddWatch(name, "/proc/self/fd/" + std::to_string(directory), kDirectoryEvents, name.directoryWatches);
    struct stat watched {};
    struct stat named {};
    if (fstat(directory, &watched) != 0 || watched.st_nlink == 0 || stat(path.c_str(), &named) != 0 ||
        named.st_dev != watched.st_dev || named.st_ino != watched.st_ino) {
      name.complete = false;
    }
    close(directory);
  }

  // Watches the name's directory and, through a symbolic link, its target's directory. A link that
  // leads nowhere yet leaves notification incomplete, so the name is looked at again at each poll.
  void WatchDirectories(Name& name) {
    WatchDirectory(name, DirectoryOf(name.path));
    char resolved[PATH_MAX];
    if (realpath(name.path.c_str(), resolved) != nullptr) {
      WatchDirectory(name, DirectoryOf(resolved));
    } else if (IsSymbolicLink(name.path)) {
      name.complete = false;
    }
  }

  void SetWatches(Name& name) {
    RemoveWatches(name.fileWatches);
    RemoveWatches(name.directoryWatches);
    RemoveWatches(name.parentWatches);
    name.complete = true;
    name.remote = false;
    for (const FileHandle file : name.files) {
      // The open file itself, whatever its name has become.
      AddWatch(name, "/proc/self/fd/" + std::to_string(file), kFileEvents, name.fileWatches);
    }
    if (name.path != kStandardInputName) {
      WatchDirectories(name);
    }
  }

  // Reads all pending events; a lost watch, or a directory moved, deleted or made (seen from the one
  // above), makes a name's notification incomplete until its watches are set again.
  void ConsumeEvents() {
    alignas(inotify_event) char buffer[4096];
    ssize_t length = 0;
    while ((length = read(inotify, buffer, sizeof buffer)) > 0) {
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        for (Name& name : names) {
          if (((event->mask & IN_IGNORED) != 0 && Holds(name.fileWatches, event->wd)) ||
              ((event->mask & kDirectoryLost) != 0 && Holds(name.directoryWatches, event->wd)) ||
              ((event->mask & (IN_ISDIR | IN_IGNORED)) != 0 && Holds(name.parentWatches, event->wd))) {
            name.complete = false;
          }
        }
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }
};

ChangeWaiter::ChangeWaiter() : state_(std::make_unique<State>()) {}

ChangeWaiter::~ChangeWaiter() = default;

std::size_t ChangeWaiter::Add() {
  state_->names.emplace_back();
  return state_->names.size() - 1;
}

void ChangeWaiter::Watch(std::size_t key, const std::string& path, std::span<const FileHandle> openFiles) {
  State::Name& name = state_->names.at(key);
  name.path = path;
  name.files.assign(openFiles.begin(), openFiles.end());
  name.complete = false;
  if (state_->inotify >= 0) {
    state_->SetWatches(name);
  }
}

void ChangeWaiter::Wait(int limitMilliseconds) {
  bool trusted = state_->inotify >= 0;
  for (State::Name& name : state_->names) {
    trusted = trusted && name.complete && !name.remote;
    if (!name.complete && state_->inotify >= 0) {
      // Set again now, but this round still polls: a change since the last look raised no event.
      state_->SetWatches(name);
    }
  }
  if (PollFor(trusted ? limitMilliseconds : EarlierLimit(kPollMilliseconds, limitMilliseconds),
              state_->inotify)) {
    state_->ConsumeEvents();
  }
}
#else
struct ChangeWaiter::State {
  std::size_t names = 0;
};

ChangeWaiter::ChangeWaiter() : state_(std::make_unique<State>()) {}

ChangeWaiter::~ChangeWaiter() = default;

std::size_t ChangeWaiter::Add() { return state_->names++; }

void ChangeWaiter::Watch(std::size_t /*key*/, const std::string& /*path*/,
                         std::span<const FileHandle> /*openFiles*/) {}

void ChangeWaiter::Wait(int limitMilliseconds) {
  PollFor(EarlierLimit(kPollMilliseconds, limitMilliseconds));
}
#endif

}  // namespace platform

// Waiting for changes on POSIX. On Linux, inotify watches the open files and the directories each
// followed name passes through; wherever that cannot be trusted, waiting polls.
#include "platform/wait.h"

#include <poll.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/posix/descriptors.h"
#ifdef __linux__
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#endif

namespace platform {
namespace {

// What one wait saw: the wait ends at the limit, a stop request, the output's reader going away, or
// when one of the descriptors `more` is ready, which `ready` then says.
struct Polled {
  bool timedOut = false;
  bool outputGone = false;
  // cppcheck-suppress unusedStructMember ; read where notification is used
  std::array<bool, 2> ready{};
};

Polled PollFor(int limitMilliseconds, int first = -1, int second = -1) {
  pollfd waits[4] = {{posix::WakeDescriptor(), POLLIN, 0},
                     {posix::OutputToWatch(), 0, 0},
                     {first, POLLIN, 0},
                     {second, POLLIN, 0}};
  const int count = poll(waits, 4, limitMilliseconds);
  return {count == 0,
          count > 0 && (waits[1].revents & (POLLERR | POLLHUP)) != 0,
          {count > 0 && waits[2].revents != 0, count > 0 && waits[3].revents != 0}};
}

// Until `moment`, at most a minute, where no timer says when it comes.
int MillisecondsUntil(std::chrono::system_clock::time_point moment) {
  constexpr std::chrono::milliseconds kLongest{60 * 1000};
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(moment - std::chrono::system_clock::now());
  return static_cast<int>(std::clamp(left, std::chrono::milliseconds{0}, kLongest).count());
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
    // What the name stands for may have changed since the last wait.
    bool changed = true;
  };

  int inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  // Expires at the moment to wake at, and is cancelled when the clock is set.
  int clock = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  // The directory of the local time zone's file, which is replaced when the zone changes: watched once
  // there is a moment to wake at, unless TZ names the zone. (A watch makes closing the instance wait.)
  int zoneWatch = -1;
  std::chrono::system_clock::time_point wakeAt = std::chrono::system_clock::time_point::max();
  bool timeChanged = true;
  // Setting the timer found the clock set since it was last read.
  bool clockWasSet = false;
  bool outputGone = false;
  std::vector<Name> names;
  // How many of the names use each watch: names in one directory share its watch.
  std::map<int, int> uses;

  ~State() {
    for (const int descriptor : {inotify, clock}) {
      if (descriptor >= 0) {
        close(descriptor);
      }
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

  // Reads the pending events, once: what is left makes the next wait end at once. A lost watch, or a
  // directory moved, deleted or made (seen from the one above), makes a name's notification incomplete
  // until its watches are set again. Anything but a write to a file may change what a name stands for.
  void ConsumeEvents() {
    alignas(inotify_event) char buffer[4096];
    const ssize_t length = read(inotify, buffer, sizeof buffer);
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask == IN_MODIFY) {
        // Only files are watched for writes, which change nothing here.
        continue;
      }
      if (event->wd == zoneWatch && event->len > 0 && std::strcmp(event->name, "localtime") == 0) {
        timeChanged = true;
      }
      for (Name& name : names) {
        if (((event->mask & IN_IGNORED) != 0 && Holds(name.fileWatches, event->wd)) ||
            ((event->mask & kDirectoryLost) != 0 && Holds(name.directoryWatches, event->wd)) ||
            ((event->mask & (IN_ISDIR | IN_IGNORED)) != 0 && Holds(name.parentWatches, event->wd))) {
          name.complete = false;
        }
        if (Holds(name.directoryWatches, event->wd) || Holds(name.fileWatches, event->wd) ||
            ((event->mask & (IN_ISDIR | IN_IGNORED)) != 0 && Holds(name.parentWatches, event->wd))) {
          name.changed = true;
        }
      }
    }
  }

  // Reading the timer says it expired, or fails because the clock was set: either way the time moved.
  void ConsumeTimer() {
    std::uint64_t expirations = 0;
    static_cast<void>(read(clock, &expirations, sizeof expirations));
    timeChanged = true;
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
  name.changed = true;
  if (state_->inotify >= 0) {
    state_->SetWatches(name);
  }
}

void ChangeWaiter::WakeAt(std::chrono::system_clock::time_point moment) {
  state_->wakeAt = moment;
  if (state_->zoneWatch < 0 && state_->inotify >= 0 && std::getenv("TZ") == nullptr) {
    state_->zoneWatch =
        inotify_add_watch(state_->inotify, "/etc", IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ONLYDIR);
  }
  if (state_->clock < 0) {
    return;
  }
  const auto sinceEpoch = moment.time_since_epoch();
  const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
  itimerspec expiry{};
  expiry.it_value.tv_sec = static_cast<time_t>(seconds.count());
  expiry.it_value.tv_nsec = static_cast<long>(std::chrono::nanoseconds(sinceEpoch - seconds).count());
  // Fails when the clock was set since the timer was last read; the timer is set all the same, and the
  // next wait says that the time changed.
  if (timerfd_settime(state_->clock, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr) != 0) {
    state_->clockWasSet = true;
  }
}

void ChangeWaiter::Wait(int limitMilliseconds) {
  State& state = *state_;
  bool trusted = state.inotify >= 0;
  for (State::Name& name : state.names) {
    // A name whose notification cannot be trusted is looked at after every wait.
    name.changed = state.inotify < 0 || !name.complete || name.remote;
    trusted = trusted && !name.changed;
    if (!name.complete && state.inotify >= 0) {
      // Set again now, but this round still polls: a change since the last look raised no event.
      state.SetWatches(name);
    }
  }
  int limit = trusted ? limitMilliseconds : EarlierLimit(kPollMilliseconds, limitMilliseconds);
  if (state.clock < 0 && state.wakeAt != std::chrono::system_clock::time_point::max()) {
    limit = EarlierLimit(limit, MillisecondsUntil(state.wakeAt));
  }
  state.timeChanged = state.clock < 0 || std::exchange(state.clockWasSet, false);
  const Polled polled = PollFor(limit, state.inotify, state.clock);
  state.outputGone = polled.outputGone;
  if (polled.timedOut) {
    // The limit was for a file to be tried again.
    for (State::Name& name : state.names) {
      name.changed = true;
    }
  }
  if (polled.ready[0]) {
    state.ConsumeEvents();
  }
  if (polled.ready[1]) {
    state.ConsumeTimer();
  }
}

bool ChangeWaiter::NameMayHaveChanged(std::size_t key) const { return state_->names.at(key).changed; }

bool ChangeWaiter::TimeMayHaveChanged() const { return state_->timeChanged; }

bool ChangeWaiter::OutputGone() const { return state_->outputGone; }
#else
// Without notification every wait is a short poll, after which anything may have changed.
struct ChangeWaiter::State {
  std::size_t names = 0;
  bool outputGone = false;
};

ChangeWaiter::ChangeWaiter() : state_(std::make_unique<State>()) {}

ChangeWaiter::~ChangeWaiter() = default;

std::size_t ChangeWaiter::Add() { return state_->names++; }

void ChangeWaiter::Watch(std::size_t /*key*/, const std::string& /*path*/,
                         std::span<const FileHandle> /*openFiles*/) {}

void ChangeWaiter::WakeAt(std::chrono::system_clock::time_point /*moment*/) {}

void ChangeWaiter::Wait(int limitMilliseconds) {
  state_->outputGone = PollFor(EarlierLimit(kPollMilliseconds, limitMilliseconds)).outputGone;
}

bool ChangeWaiter::NameMayHaveChanged(std::size_t /*key*/) const { return true; }

bool ChangeWaiter::TimeMayHaveChanged() const { return true; }

bool ChangeWaiter::OutputGone() const { return state_->outputGone; }
#endif

}  // namespace platform

#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

void ClosePipe(int& fd) {
  if (fd >= 0) {
    close(fd);
    fd = -1;
  }
}

void ReadInto(int& fd, std::string& text) {
  char buffer[65536];
  const ssize_t count = read(fd, buffer, sizeof buffer);
  if (count <= 0) {
    ClosePipe(fd);
  } else {
    text.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, ChildOptions options)
    : ownGroup_(!options.childrenOutliveIt) {
  int in[2] = {-1, -1};
  int out[2];
  int err[2];
  if ((options.pipeIn && pipe2(in, O_CLOEXEC) != 0) || pipe2(out, O_CLOEXEC) != 0 ||
      pipe2(err, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  // The flag belongs to the pipe end's open file description, which the program's standard output shares.
  if (options.nonBlockingOut && fcntl(out[1], F_SETFL, O_NONBLOCK) != 0) {
    throw std::runtime_error("cannot make the output non-blocking");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.pipeIn) {
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  if (options.closedOut) {
    ClosePipe(out[0]);
  }
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  if (!options.workDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.workDirectory.c_str());
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (ownGroup_) {
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  }
  std::vector<char*> args;
  for (const std::string& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  started_ = Clock::now();
  const int spawned = posix_spawnp(&pid_, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ClosePipe(in[0]);
  close(out[1]);
  close(err[1]);
  inPipe_ = in[1];
  outPipe_ = out[0];
  errPipe_ = err[0];
  if (spawned != 0) {
    throw std::runtime_error("cannot start " + argv[0]);
  }
}

ChildProcess::~ChildProcess() {
  if (ownGroup_) {
    SignalGroup(SIGKILL);
    // Reaps the group's members that are children of this process (all of them under a subreaper).
    while (waitpid(-pid_, nullptr, 0) > 0) {
    }
  } else if (!reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  ClosePipe(inPipe_);
  ClosePipe(outPipe_);
  ClosePipe(errPipe_);
}

void ChildProcess::Pump(std::chrono::milliseconds limit) {
  const int out = outPaused_ ? -1 : outPipe_;
  pollfd fds[2] = {{out, POLLIN, 0}, {errPipe_, POLLIN, 0}};
  if (out < 0 && errPipe_ < 0) {
    usleep(10000);
  } else if (poll(fds, 2, static_cast<int>(std::min(limit, 100ms).count())) > 0) {
    if (fds[0].revents != 0) {
      ReadInto(outPipe_, out_);
    }
    if (fds[1].revents != 0) {
      ReadInto(errPipe_, err_);
    }
  }
}

bool ChildProcess::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      return false;
    }
    Pump(left);
  }
  return true;
}

bool ChildProcess::WaitForOut(const std::string& expected, std::chrono::milliseconds limit) {
  PumpUntil([&] { return out_.size() >= expected.size(); }, limit);
  return out_ == expected;
}

bool ChildProcess::WaitForErrContaining(const std::string& text, std::chrono::milliseconds limit) {
  return PumpUntil([&] { return err_.find(text) != std::string::npos; }, limit);
}

void ChildProcess::ReadFor(std::chrono::milliseconds period) {
  PumpUntil([] { return false; }, period);
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
  const auto exited = [this] {
    if (!reaped_ && waitpid(pid_, &status_, WNOHANG) == pid_) {
      reaped_ = true;
      runTime_ = Clock::now() - started_;
    }
    return reaped_;
  };
  if (!PumpUntil(exited, limit) || !WIFEXITED(status_)) {
    return std::nullopt;
  }
  // What the program wrote just before it exited may still be in the pipes.
  PumpUntil([this] { return (outPaused_ || outPipe_ < 0) && errPipe_ < 0; }, 1s);
  return WEXITSTATUS(status_);
}

void ChildProcess::SignalGroup(int signal) const { kill(-pid_, signal); }

void ChildProcess::CloseOut() { ClosePipe(outPipe_); }

std::string ChildProcess::WaitChannel() const {
  std::ifstream wchan("/proc/" + std::to_string(pid_) + "/wchan");
  std::string where;
  std::getline(wchan, where);
  return where;
}

bool ChildProcess::IsWaitingForItsOutput() const {
  const std::string where = WaitChannel();
  return where.ends_with("pipe_write") || where.find("poll") != std::string::npos;
}

bool ChildProcess::IsPolling() const { return WaitChannel().find("poll") != std::string::npos; }

bool ChildProcess::HasPending(int signal) const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  const unsigned long long bit = 1ULL << (signal - 1);
  for (std::string line; std::getline(status, line);) {
    // The signals pending for the thread and for the whole process, as hexadecimal masks.
    if ((line.starts_with("SigPnd:") || line.starts_with("ShdPnd:")) &&
        (std::stoull(line.substr(line.find(':') + 1), nullptr, 16) & bit) != 0) {
      return true;
    }
  }
  return false;
}

void ChildProcess::WriteIn(const std::string& bytes) {
  if (write(inPipe_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("cannot write to the program's standard input");
  }
}

void ChildProcess::CloseIn() { ClosePipe(inPipe_); }

bool ChildProcess::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return PumpUntil(done, limit);
}

bool ChildProcess::HasOpen(const std::string& path) const {
  const std::filesystem::path descriptors = "/proc/" + std::to_string(pid_) + "/fd";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(descriptors, error)) {
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (target == path || target == path + " (deleted)") {
      return true;
    }
  }
  return false;
}

bool ShowsNothingMoreThan(ChildProcess& program, const std::string& file, const std::string& shown,
                          std::chrono::milliseconds limit) {
  const std::string marker = "the marker after what is expected\n";
  AppendFile(file, marker);
  return program.WaitForOut(shown + marker, limit);
}

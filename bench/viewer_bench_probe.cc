// Measures a log viewer started as a child process; built and run by viewer_bench.sh.
//   first-lines N -- COMMAND...        milliseconds until N lines are out, and peak memory
//   latency FILE COUNT -- COMMAND...   milliseconds from an append to FILE until it is out
//   throughput FILE MIB LINES -- COMMAND...
//                                      MiB/s while a writer appends MIB MiB of 100-byte lines, LINES a write
//   quiet-cpu SECONDS -- COMMAND...    CPU milliseconds used over SECONDS of a quiet file
//   paced FILE OUT LINES RATE TEXT -- COMMAND...
//                                      appends LINES lines of TEXT to FILE, RATE a second, one write
//                                      each, and waits until COMMAND's output, the file OUT, holds them
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

pid_t Spawn(char** command, int stdoutFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  // In a process group of its own, which Stop ends whole: a tracer and what it traces.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, command[0], &actions, &attributes, command, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", command[0]);
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return pid;
}

// A value such as "VmHWM:" from /proc/PID/status, or a field such as "wchar:" from /proc/PID/io.
long long ProcField(pid_t pid, const char* file, const char* name) {
  const std::string path = "/proc/" + std::to_string(pid) + "/" + file;
  FILE* in = std::fopen(path.c_str(), "r");
  char line[256];
  long long value = -1;
  while (in != nullptr && std::fgets(line, sizeof line, in) != nullptr) {
    if (std::strncmp(line, name, std::strlen(name)) == 0) {
      value = std::atoll(line + std::strlen(name));
    }
  }
  if (in != nullptr) {
    std::fclose(in);
  }
  return value;
}

long long CpuMilliseconds(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  FILE* in = std::fopen(path.c_str(), "r");
  char text[1024] = "";
  const std::size_t length = in != nullptr ? std::fread(text, 1, sizeof text - 1, in) : 0;
  if (in != nullptr) {
    std::fclose(in);
  }
  text[length] = '\0';
  // utime and stime are the 12th and 13th fields after the closing parenthesis of the name.
  const char* at = std::strrchr(text, ')');
  long long ticks[2] = {0, 0};
  for (int field = 0; at != nullptr && field < 13; ++field) {
    at = std::strchr(at + 1, ' ');
    if (at != nullptr && field >= 11) {
      ticks[field - 11] = std::atoll(at + 1);
    }
  }
  return (ticks[0] + ticks[1]) * 1000 / sysconf(_SC_CLK_TCK);
}

// Stops the program and returns its peak resident memory in KiB.
long Stop(pid_t pid) {
  kill(-pid, SIGTERM);
  rusage usage{};
  wait4(pid, nullptr, 0, &usage);
  return usage.ru_maxrss;
}

// Reads the pipe until `wanted` newlines have arrived or five seconds pass.
bool ReadLines(int fd, int wanted) {
  char buffer[65536];
  const auto start = Clock::now();
  while (wanted > 0 && MillisecondsSince(start) < 5000) {
    pollfd in{fd, POLLIN, 0};
    if (poll(&in, 1, 100) > 0) {
      const ssize_t count = read(fd, buffer, sizeof buffer);
      if (count <= 0) {
        return false;
      }
      wanted -= static_cast<int>(std::count(buffer, buffer + count, '\n'));
    }
  }
  return wanted <= 0;
}

void Append(const char* file, const std::string& text) {
  const int fd = open(file, O_WRONLY | O_APPEND);
  if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    std::perror(file);
    std::exit(1);
  }
  close(fd);
}

int FirstLines(int lines, char** command) {
  int out[2];
  if (pipe(out) != 0) {
    return 1;
  }
  const auto start = Clock::now();
  const pid_t pid = Spawn(command, out[1]);
  close(out[1]);
  const bool complete = ReadLines(out[0], lines);
  const double elapsed = MillisecondsSince(start);
  const long peak = Stop(pid);
  std::printf("%.2f ms%s, peak %ld KiB\n", elapsed, complete ? "" : " (incomplete)", peak);
  return complete ? 0 : 1;
}

int Latency(const char* file, int count, char** command) {
  int out[2];
  if (pipe(out) != 0) {
    return 1;
  }
  const pid_t pid = Spawn(command, out[1]);
  close(out[1]);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::vector<double> delays;
  for (int i = 0; i < count; ++i) {
    const auto start = Clock::now();
    Append(file, "ping " + std::to_string(i) + "\n");
    if (!ReadLines(out[0], 1)) {
      break;
    }
    delays.push_back(MillisecondsSince(start));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Stop(pid);
  std::sort(delays.begin(), delays.end());
  if (delays.size() != static_cast<std::size_t>(count)) {
    std::printf("lost an append\n");
    return 1;
  }
  std::printf("median %.2f ms, max %.2f ms\n", delays[delays.size() / 2], delays.back());
  return 0;
}

int Throughput(const char* file, long long mebibytes, long long linesPerWrite, char** command) {
  const int devNull = open("/dev/null", O_WRONLY);
  const pid_t pid = Spawn(command, devNull);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const long long baseline = ProcField(pid, "io", "wchar:");
  std::string chunk;
  for (long long i = 0; i < linesPerWrite; ++i) {
    chunk += std::string(99, 'x') + "\n";
  }
  const long long total = mebibytes * 1024 * 1024 / static_cast<long long>(chunk.size()) * chunk.size();
  const int fd = open(file, O_WRONLY | O_APPEND);
  const auto start = Clock::now();
  for (long long written = 0; written < total; written += static_cast<long long>(chunk.size())) {
    if (write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size())) {
      std::perror(file);
      return 1;
    }
  }
  const double writerMs = MillisecondsSince(start);
  close(fd);
  while (ProcField(pid, "io", "wchar:") - baseline < total && MillisecondsSince(start) < 60000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const double elapsed = MillisecondsSince(start);
  const bool complete = ProcField(pid, "io", "wchar:") - baseline >= total;
  const long peak = Stop(pid);
  std::printf(
      "%.0f MiB/s (writer alone %.0f MiB/s, caught up %.0f ms after the last write)%s, peak %ld KiB\n",
      total / 1048576.0 / (elapsed / 1000), total / 1048576.0 / (writerMs / 1000), elapsed - writerMs,
      complete ? "" : " (incomplete)", peak);
  return complete ? 0 : 1;
}

int QuietCpu(int seconds, char** command) {
  const int devNull = open("/dev/null", O_WRONLY);
  const pid_t pid = Spawn(command, devNull);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const long long before = CpuMilliseconds(pid);
  const long long switchesBefore = ProcField(pid, "status", "voluntary_ctxt_switches:");
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const long long used = CpuMilliseconds(pid) - before;
  const long long wakeups = ProcField(pid, "status", "voluntary_ctxt_switches:") - switchesBefore;
  const long peak = Stop(pid);
  std::printf("%lld ms CPU, %lld wake-ups in %d s, peak %ld KiB\n", used, wakeups, seconds, peak);
  return 0;
}

// Counts the lines written to a file as it grows.
class LineCounter {
 public:
  explicit LineCounter(const char* file) : fd_(open(file, O_RDONLY)) {}
  // Reads what was written and waits up to `milliseconds` for the file to hold `lines` lines.
  bool WaitFor(long long lines, int milliseconds) {
    const auto start = Clock::now();
    char buffer[65536];
    for (;;) {
      const ssize_t count = read(fd_, buffer, sizeof buffer);
      if (count > 0) {
        lines_ += std::count(buffer, buffer + count, '\n');
      } else if (lines_ >= lines) {
        return true;
      } else if (MillisecondsSince(start) > milliseconds) {
        return false;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
  }

  [[nodiscard]] long long lines() const { return lines_; }

 private:
  int fd_;
  long long lines_ = 0;
};

int Paced(const char* file, const char* out, int lines, int rate, const std::string& text, char** command) {
  const int outFd = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t pid = Spawn(command, outFd);
  LineCounter shown(out);
  const std::string line = text + "\n";
  // Under valgrind the start takes seconds: a line is appended until the follower shows one. Those
  // appended before it started are not shown.
  do {
    Append(file, line);
  } while (!shown.WaitFor(1, 200));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  shown.WaitFor(0, 0);
  const long long expected = shown.lines();
  // A logger keeps its file open.
  const int fd = open(file, O_WRONLY | O_APPEND);
  const auto start = Clock::now();
  for (int i = 0; i < lines; ++i) {
    std::this_thread::sleep_until(start + std::chrono::microseconds(1000000LL * i / rate));
    if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
      std::perror(file);
      return 1;
    }
  }
  close(fd);
  const bool complete = shown.WaitFor(expected + lines, 60000);
  Stop(pid);
  std::printf("%s\n", complete ? "shown" : "incomplete");
  return complete ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 5 || std::strcmp(argv[argc - 1], "--") == 0) {
    std::fprintf(stderr, "usage: see the top of viewer_bench_probe.cc\n");
    return 2;
  }
  const std::string mode = argv[1];
  char** command =
      std::find_if(argv, argv + argc, [](const char* arg) { return std::strcmp(arg, "--") == 0; }) + 1;
  if (mode == "first-lines") {
    return FirstLines(std::atoi(argv[2]), command);
  }
  if (mode == "latency") {
    return Latency(argv[2], std::atoi(argv[3]), command);
  }
  if (mode == "throughput") {
    return Throughput(argv[2], std::atoll(argv[3]), std::atoll(argv[4]), command);
  }
  if (mode == "paced" && argc > 7) {
    return Paced(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]), argv[6], command);
  }
  if (mode == "quiet-cpu") {
    return QuietCpu(std::atoi(argv[2]), command);
  }
  return 2;
}

#include "daylog_harness.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>

extern char** environ;

namespace {

Target g_target;

std::string Slashed(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

bool Target::Configure(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    g_target.memcheck_ = g_target.memcheck_ || arg == "--memcheck";
    for (auto [flag, value] : {std::pair{std::string_view("--daylog="), &g_target.executable_},
                               std::pair{std::string_view("--fake-viewer="), &g_target.fakeViewer_},
                               std::pair{std::string_view("--wine="), &g_target.wine_}}) {
      if (arg.starts_with(flag)) {
        *value = arg.substr(flag.size());
      }
    }
  }
  return !g_target.executable_.empty() && !g_target.fakeViewer_.empty();
}

const Target& Target::Get() { return g_target; }

std::string Target::PathForm(const std::string& posixPath) const {
  if (!IsWindows()) {
    return posixPath;
  }
  std::string windows = "Z:" + posixPath;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  return windows;
}

std::string Target::Lines(const std::vector<std::string>& lines) const {
  std::string text;
  for (const std::string& line : lines) {
    text += line + (IsWindows() ? "\r\n" : "\n");
  }
  return text;
}

RunResult Target::Run(const std::vector<std::string>& args, const std::string& workDirectory,
                      const RunOptions& options) const {
  std::vector<std::string> command = options.wrapper;
  if (memcheck_) {
    command.insert(command.end(), {"valgrind", "--quiet", "--error-exitcode=99", "--leak-check=full",
                                   "--show-leak-kinds=all", "--errors-for-leak-kinds=all"});
  }
  if (IsWindows()) {
    command.push_back(wine_);
  }
  if (options.programDirectory.empty()) {
    command.push_back(executable_);
  } else {
    const std::filesystem::path copy =
        std::filesystem::path(options.programDirectory) / std::filesystem::path(executable_).filename();
    std::filesystem::copy_file(executable_, copy, std::filesystem::copy_options::overwrite_existing);
    command.push_back(copy);
  }
  command.insert(command.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : command) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);

  const std::string outPath = workDirectory + "/daylog.out";
  const std::string errPath = workDirectory + "/daylog.err";
  int closedPipe[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (options.closedOutput) {
    if (pipe2(closedPipe, O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe failed");
    }
    close(closedPipe[0]);
    posix_spawn_file_actions_adddup2(&actions, closedPipe[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, workDirectory.c_str());

  RunResult result;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (closedPipe[1] >= 0) {
    close(closedPipe[1]);
  }
  if (spawned != 0) {
    throw std::runtime_error("cannot start " + command.front());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.elapsed = std::chrono::steady_clock::now() - start;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

RunOptions UnprivilegedRun(const std::string& scratchDirectory) {
  if (!Target::Get().IsWindows()) {
    return {.wrapper = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"},
            .programDirectory = scratchDirectory};
  }
  // A prefix of its own gets a server of its own; it shares the drive and copies the small registry.
  namespace fs = std::filesystem;
  const char* shared = std::getenv("WINEPREFIX");
  const fs::path source = shared != nullptr ? fs::path(shared) : fs::path(std::getenv("HOME")) / ".wine";
  const fs::path prefix = fs::path(scratchDirectory) / "wineprefix";
  fs::create_directories(prefix);
  for (const char* linked : {"drive_c", "dosdevices"}) {
    fs::create_directory_symlink(source / linked, prefix / linked);
  }
  for (const char* copied : {"system.reg", "user.reg", "userdef.reg", ".update-timestamp"}) {
    fs::copy_file(source / copied, prefix / copied);
  }
  RunOptions options;
  options.wrapper = {"env", "WINEPREFIX=" + prefix.string(), "setpriv",
                     "--bounding-set=-dac_override,-dac_read_search"};
  return options;
}

ProjectHome::ProjectHome(const std::string& name) : path_(root_.File(name)) {
  // Open to every user, so that a run as an unprivileged user can reach the home.
  chmod(root_.path().c_str(), 0755);
  std::filesystem::create_directories(path_ + "/log");
  std::filesystem::create_directories(path_ + "/bin");
}

std::string ProjectHome::AddLog(const std::string& prefix, const std::string& stamp) const {
  const std::string path = Slashed(path_ + "/log/" + prefix + "." + stamp);
  WriteFile(path, "a line of the day\n");
  return path;
}

void ProjectHome::AddLogDirectory(const std::string& prefix, const std::string& stamp) const {
  std::filesystem::create_directories(Slashed(path_ + "/log/" + prefix + "." + stamp));
}

void ProjectHome::InstallViewer() const {
  std::filesystem::copy_file(Target::Get().fakeViewer(), path_ + "/bin/cmdtail.exe");
}

std::optional<std::string> ProjectHome::WaitForViewer(std::chrono::seconds limit) const {
  const std::string record = path_ + "/bin/viewer-args.txt";
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (std::filesystem::exists(record)) {
      return ReadFile(record);
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string ExpectedViewerRecord(const std::string& commandLine, const std::vector<std::string>& args) {
  if (Target::Get().IsWindows()) {
    return commandLine;
  }
  std::string record;
  for (const std::string& arg : args) {
    record += Slashed(arg);
    record.push_back('\0');
  }
  return record;
}

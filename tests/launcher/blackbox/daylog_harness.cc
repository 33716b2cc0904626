#include "daylog_harness.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>
#include <utility>

#include "child_process.h"

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
  return IsWindows() ? ZDrivePath(posixPath) : posixPath;
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
  ChildProcess daylog(
      command,
      {.closedOut = options.closedOutput, .workDirectory = workDirectory, .childrenOutliveIt = true});
  RunResult result;
  // The runs under valgrind and Wine take their time, and a failure pauses for a second.
  result.status = daylog.WaitForExit(60s).value_or(-1);
  result.elapsed = daylog.runTime();
  result.out = daylog.out();
  result.err = daylog.err();
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

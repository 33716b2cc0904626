#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "test_files.h"

// Runs the built daylog as a user would, natively or as daylog.exe under Wine, as the test program's
// command line says: --daylog=PATH --fake-viewer=PATH [--wine=PATH] [--memcheck]. With --memcheck
// each run goes through valgrind's memcheck, and any error or leak fails it.

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;
  std::chrono::duration<double> elapsed{};
};

struct RunOptions {
  // Goes before the program, such as a switch to another user.
  std::vector<std::string> wrapper;
  // Where a copy of the program is placed and run from; a wrapped run needs one, as its user may not
  // reach the build tree. Empty: the built program itself.
  std::string programDirectory;
  // Standard output is a pipe whose reader has already gone.
  bool closedOutput = false;
};

// The options of a run that cannot read a file its owner may not read: natively as an unprivileged user;
// under Wine as root without the capabilities that pass over file permissions, in a Wine session of its
// own, as the Wine server, shared by every other run, is what opens the files.
RunOptions UnprivilegedRun(const std::string& scratchDirectory);

class Target {
 public:
  // Takes the target from the command line; false when it does not name one.
  static bool Configure(int argc, char* argv[]);
  static const Target& Get();

  [[nodiscard]] bool IsWindows() const { return !wine_.empty(); }
  // Whether a run's duration tells anything below a second: not under valgrind or Wine, whose own
  // start-up can take that long.
  [[nodiscard]] bool KeepsTime() const { return !memcheck_ && !IsWindows(); }
  // The form in which a user of the target names a POSIX path: as it is, or as Wine's Z: drive.
  [[nodiscard]] std::string PathForm(const std::string& posixPath) const;
  // Joins console lines as the target's standard output ends them.
  [[nodiscard]] std::string Lines(const std::vector<std::string>& lines) const;
  [[nodiscard]] const std::string& fakeViewer() const { return fakeViewer_; }

  // Runs the program in workDirectory, its output kept beside, as the options say.
  RunResult Run(const std::vector<std::string>& args, const std::string& workDirectory,
                const RunOptions& options = {}) const;

 private:
  std::string executable_;
  std::string fakeViewer_;
  std::string wine_;
  bool memcheck_ = false;
};

// A project home in a fresh temporary directory, removed with everything in it at the end.
class ProjectHome {
 public:
  explicit ProjectHome(const std::string& name = "home");

  [[nodiscard]] const std::string& root() const { return root_.path(); }
  [[nodiscard]] const std::string& posixPath() const { return path_; }
  // The home as the target's user types it.
  [[nodiscard]] std::string typed() const { return Target::Get().PathForm(path_); }

  std::string AddLog(const std::string& prefix, const std::string& stamp) const;
  void AddLogDirectory(const std::string& prefix, const std::string& stamp) const;
  void InstallViewer() const;
  // The viewer's record of how it was started, once it has written one.
  [[nodiscard]] std::optional<std::string> WaitForViewer(std::chrono::seconds limit) const;

 private:
  TempDirectory root_;
  std::string path_;
};

// The fake viewer's record of "viewer -f log" as the target hands it over: the whole command line on
// Windows, each argument NUL-ended with backslashes read as separators elsewhere.
std::string ExpectedViewerRecord(const std::string& commandLine, const std::vector<std::string>& args);

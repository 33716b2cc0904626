#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "midnight_zone.h"

// How a build of cmdtail is run: the command before its arguments, the form in which it is given a
// path, what ends a line it writes to standard error, and how long one step may take.
struct ViewerCommand {
  std::vector<std::string> program;
  std::function<std::string(const std::string& path)> pathForm;
  std::string errorLineEnd;
  std::chrono::milliseconds patience;
};

// cmdtail started on a log in a zone whose local midnight comes soon after it has shown the log's
// lines. A start slowed by load is tried again, with midnight further ahead.
class MidnightRun {
 public:
  // Writes the files for one try into the directory and returns the log to follow; it may set the
  // text `shown` refers to, which each try reads after it.
  using Prepare = std::function<std::string(const TempDirectory& directory, const MidnightZone& zone)>;

  MidnightRun(const ViewerCommand& command, const std::vector<std::string>& options, const std::string& shown,
              const Prepare& prepare);

  // False (with the test failed) when cmdtail never showed the lines before midnight.
  [[nodiscard]] bool Started() const { return viewer_ != nullptr; }
  // Reads the output until just after midnight.
  void PassMidnight();

  [[nodiscard]] ChildProcess& viewer() const { return *viewer_; }
  [[nodiscard]] const TempDirectory& directory() const { return *directory_; }
  [[nodiscard]] const MidnightZone& zone() const { return zone_; }

 private:
  std::unique_ptr<TempDirectory> directory_;
  MidnightZone zone_;
  std::unique_ptr<ChildProcess> viewer_;
};

// Follows today's log across midnight: its lines before midnight, a line written to it after midnight
// while the next day's log does not exist yet, then the next day's log as it appears. Checks the exact
// output and the one line on standard error.
void ExpectRolloverAcrossMidnight(const ViewerCommand& command);

#pragma once

#include <memory>
#include <vector>

#include "follow/follower.h"
#include "output/file_output.h"
#include "platform/terminal.h"
#include "platform/viewer_platform.h"

// Shows the last lines of one or more files, in order, and, when following, everything appended to
// any of them until a stop: each file is looked at after every change, and all are waited for together.
// With more than one file, a stream among them is shown to its end and not followed.
class Tail {
 public:
  Tail(const std::vector<const char*>& files, const OutputSettings& settings, terminal::Session& session);

  // Returns the exit status: 1 when a file could not be opened or read, or standard output not written.
  int Run(const ShowOptions& options);

 private:
  using Step = Follower::Step;

  struct File {
    std::unique_ptr<FileOutput> out;
    std::unique_ptr<Follower> follower;
    bool opened = false;
    // kFail once the file is no longer followed.
    Step step = Step::kWait;
  };

  // Shows each file's last lines; false when the run ends there.
  bool ShowAll(const ShowOptions& options);
  void Follow();
  // Takes a file's step: a failed file is left out, and anything else that is not a wait ends the run.
  bool Continues(File& file, Step step);
  void WaitForChange();
  void ShowTitle();
  // Closes a colour left open and says whether the run failed.
  int End();

  terminal::Session& session_;
  SharedOutput shared_;
  viewer_platform::ChangeWaiter waiter_;
  std::vector<File> files_;
  bool failed_ = false;
  bool outputFailed_ = false;
  bool ended_ = false;
  std::string title_;
};

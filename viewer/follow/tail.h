#pragma once

#include <memory>
#include <string>
#include <vector>

#include "follow/follower.h"
#include "follow/show_options.h"
#include "follow/step.h"
#include "output/file_output.h"
#include "platform/terminal.h"
#include "platform/wait.h"

// Shows the last lines of one or more files, in order, and, when following, everything appended to
// any of them until a stop: each file is looked at after every change, and all are waited for together.
// With more than one file, a stream among them is shown to its end and not followed.
class Tail {
 public:
  Tail(const std::vector<const char*>& files, const OutputSettings& settings, terminal::Session& session);

  // Returns the exit status: 1 when a file could not be opened or read, or standard output not written.
  int Run(const ShowOptions& options);

 private:
  // One file given: its name as shown (the one owner of it, which the day's rollover changes), its
  // output and, once open and read at offsets, its follower.
  struct File {
    File(const char* given, const OutputSettings& settings, SharedOutput& shared);

    std::string name;
    std::string path;
    FileOutput out;
    std::unique_ptr<Follower> follower;
    bool opened = false;
    // Followed while kWait or kRecheck.
    Step step = Step::kWait;
  };

  // Shows each file's last lines; false when the run ends there.
  bool ShowAll(const ShowOptions& options);
  // Opens the file and shows its last lines, or the whole stream; false when the run ends there.
  bool Show(File& file, const ShowOptions& options);
  // A file shown and not followed ends its output there: what its stages hold back (an unfinished last
  // line) comes out under its own header, before the next file's part. False when the run ends there.
  bool EndShowing(File& file);
  void Follow();
  // Takes a file's step: a failed file, or one shown to its end, is left out, and a stop or a failure to
  // write ends the run.
  bool Continues(File& file, Step step);
  void WaitForChange();
  void ShowTitle();
  // Closes a colour left open and says whether the run failed.
  int End();

  const char* encoding_;
  // Counts the alerts, for the title; null without alerts.
  const Alarm* alarm_;
  terminal::Session& session_;
  SharedOutput shared_;
  viewer_platform::ChangeWaiter waiter_;
  std::vector<std::unique_ptr<File>> files_;
  bool failed_ = false;
  bool outputFailed_ = false;
  bool ended_ = false;
  std::string title_;
};

#pragma once

#include <deque>
#include <string>
#include <vector>

#include "follow/followed_file.h"
#include "follow/show_options.h"
#include "follow/step.h"
#include "output/alarm.h"
#include "output/output_settings.h"
#include "output/shared_output.h"
#include "output/text_output.h"
#include "platform/terminal.h"
#include "platform/wait.h"

// Shows the last lines of one or more files, in order, and, when following, everything appended to
// any of them until a stop: each file is looked at after every change, and all are waited for together.
// With more than one file, a stream among them is shown to its end and not followed.
class Tail {
 public:
  // `alarm` counts and rings the alerts; null without alerts.
  Tail(const std::vector<const char*>& files, const OutputSettings& settings, Alarm* alarm,
       platform::Session& session);

  // Returns the exit status: 1 when a file could not be opened or read, or standard output not written.
  int Run(const ShowOptions& options);

 private:
  // Shows each file's last lines; false when the run ends there.
  bool ShowAll(const ShowOptions& options);
  void Follow();
  // What a round does once the names are looked at: the run ends (no file is followed any more), it
  // waits for a change, or a file is to be looked at again at once.
  enum class Round { kEnds, kWaits, kRechecks };
  // Looks at what each waiting file's name stands for.
  Round CheckNames();
  // Waits for a change to any followed file; false when the run ends there.
  bool WaitForChange();
  // Shows what was appended to each followed file; false when the run ends there.
  bool CatchUpAll();
  // Notes what a file's round ended in: a failure makes the status 1. False when the run ends there: a
  // stop, or standard output that cannot be written.
  bool GoesOn(Step step);
  // Titles the console by the followed files and the alerts raised, when that has changed.
  void RetitleWindow();
  // Shows what is held at the end, closes a colour left open and says whether the run failed.
  int End();

  // Counts the alerts, for the title; null without alerts.
  const Alarm* alarm_;
  platform::Session& session_;
  SharedOutput shared_;
  OutputRun run_;
  platform::ChangeWaiter waiter_;
  std::deque<FollowedFile> files_;
  bool failed_ = false;
  bool outputFailed_ = false;
  std::string title_;
  // The files' steps may have changed the title since it was built, or it was not built yet.
  bool titleStale_ = true;
  std::size_t titledAlerts_ = 0;
};

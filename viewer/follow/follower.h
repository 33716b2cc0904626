#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "follow/day_rollover.h"
#include "follow/retired_file.h"
#include "follow/show_options.h"
#include "follow/shown_file.h"
#include "follow/step.h"
#include "output/file_output.h"
#include "platform/files.h"
#include "platform/wait.h"

// Shows the last lines of one file read at offsets and then, byte for byte, everything appended to it.
// It goes on from the start when the file is truncated, and switches to the new file when the name
// comes to stand for another one, or when the next day's log takes over from today's, after finishing
// the old; the old file is still read for a while after the switch (a RetiredFile). The rounds of
// following, and the waits between them, are the caller's.
class Follower {
 public:
  // `name` is the file as shown in messages, which the day's rollover changes; `path` is how the system
  // reads it; `file` is open on it, identified as `id`. `encoding` is the one asked for, or null: then
  // each file's byte order mark names it, if it has one.
  Follower(std::string& name, std::string path, const char* encoding, FileOutput& out,
           viewer_platform::ChangeWaiter& waiter, viewer_platform::FileHandle file,
           const viewer_platform::FileId& id);
  ~Follower();
  Follower(const Follower&) = delete;
  Follower& operator=(const Follower&) = delete;

  // Shows the file's last lines; when following, its watches are set before the first read, and the
  // output is told once the lines are shown.
  Step ShowLastLines(const ShowOptions& options);
  // Looks at what the name stands for now, and at the day.
  Step Check();
  Step CatchUp();
  // Tells the output that a wait begins.
  Step Idle() { return StepAfterWrite(out_.Idle()); }
  // How long the next wait may last at most, in milliseconds; negative for no limit.
  [[nodiscard]] int WaitLimit() const;

 private:
  // The last lines, or those from line K.
  Step ShowStart(const ShowOptions& options);
  // Reads the start of the file for its encoding and readies the output for it; false while the file
  // is too short yet to tell, when `more` may come.
  bool BeginText(bool more);
  Step CheckName();
  Step CheckRollover();
  // The step after the file the name now stands for could not be opened, said under `shownName` when
  // it will be missed.
  Step NotOpened(const std::string& shownName);
  // Switches to the file `next`, shown from its start, once the old one is shown to its end under its
  // name, saying `what` of that name in one line. `next` is what the name now stands for, or, at the
  // day's rollover, `nextLog`, whose name it is shown under from then on.
  Step Adopt(viewer_platform::FileHandle next, const viewer_platform::FileId& nextId, const std::string& what,
             const DayLog* nextLog = nullptr);
  // Lets go of the followed file once read to its end, into the retired file unless it is deleted where
  // that keeps its name taken.
  Step Retire();
  Step CatchUpRetired();
  Step CloseRetired();
  void Watch();
  void CloseFile();

  std::string& name_;
  std::string path_;
  const char* askedEncoding_;
  // The text's encoding has been told from its start, and the output readied for it.
  bool textBegun_ = false;
  // The file the name now stands for could not be opened for want of descriptors, and that was said.
  bool unopened_ = false;
  std::optional<DayRollover> rollover_;
  ShownFile file_;
  viewer_platform::FileId id_;
  // One block for every read; left uninitialised, as clearing it would cost more than the start-up.
  std::unique_ptr<char[]> storage_;
  std::span<char> block_;
  FileOutput& out_;
  RetiredFile retired_;
  viewer_platform::ChangeWaiter& waiter_;
  std::size_t watchKey_;
};

#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "follow/day_rollover.h"
#include "follow/last_lines.h"
#include "follow/retired_file.h"
#include "follow/show_options.h"
#include "follow/shown_file.h"
#include "follow/step.h"
#include "output/text_output.h"
#include "platform/files.h"
#include "platform/wait.h"

// One file given to show: its name as shown (which the day's rollover changes) and its path, and, once
// it is open, everything of its showing. A stream (standard input, a pipe) is shown at once, to its end.
// A file read at offsets shows its last lines and then, when followed, byte for byte everything appended
// to it: from its new start when it is truncated, and from the file that comes to stand for its name, or
// the next day's log after today's, once the old one is finished; the old file is still read for a while
// after the switch (a RetiredFile). The rounds of following, and the waits between them, are the caller's.
class FollowedFile {
 public:
  // `given` is the file as the command line names it, "-" for standard input.
  FollowedFile(const char* given, const OutputRun& run, platform::ChangeWaiter& waiter);
  ~FollowedFile();
  FollowedFile(const FollowedFile&) = delete;
  FollowedFile& operator=(const FollowedFile&) = delete;

  [[nodiscard]] const std::string& name() const { return name_; }
  // Still followed: it waits for a change, or is to be looked at again at once.
  [[nodiscard]] bool IsFollowed() const { return ::IsFollowed(step_); }
  [[nodiscard]] bool WantsRecheck() const { return step_ == Step::kRecheck; }

  // Opens the file and shows its last lines (a stream, when not `followStream`: all of it), and, when
  // it is not followed, what its output holds back at its end.
  Step Show(const ShowOptions& options, bool followStream);
  // Looks at what the name stands for now, and at the day, while the file waits for a change.
  Step Check();
  // Shows what was appended.
  Step CatchUp();
  // Tells the outputs that a wait begins.
  Step Idle();
  // How long the next wait may last at most, in milliseconds; negative for no limit.
  [[nodiscard]] int WaitLimit() const;
  // While the day's log may roll over, has the waits end at the next local midnight, once the time may
  // have changed.
  void WakeAtMidnight();
  // At the end of the run: see TextOutput::Finish, for the retired file's output and the current one.
  Step End(bool outputFailed);

 private:
  // Keeps the step for the rounds of following and returns it: a file not reopened is followed on.
  Step Record(Step step);
  Step ShowSeekable(const ShowOptions& options);
  Step CatchUpText();
  // The last lines, or those from line K.
  Step ShowStart(const ShowOptions& options);
  // Says why the start could not be read, unless a stop ended the reading.
  Step StartUnread() const;
  Step ShowSelectedStart(const ReadAtFunction& readAt, std::uint64_t end, std::uint64_t until,
                         std::size_t count);
  // Reads the start of the file for its encoding and builds the output for its text; false while the
  // file is too short yet to tell, when `more` may come.
  bool BeginText(bool more);
  // The output for a text in `encoding`, under the file's name.
  std::unique_ptr<TextOutput> OutputFor(const TextEncoding& encoding) const;
  Step CheckName();
  Step CheckRollover();
  // The step after the file the name now stands for could not be opened, said under `shownName` when
  // it will be missed.
  Step NotOpened(const std::string& shownName);
  // Switches to the file `next`, shown from its start, once the old one is shown to its end under its
  // name, saying `what` of that name in one line. `next` is what the name now stands for, or, at the
  // day's rollover, `nextLog`, whose name it is shown under from then on.
  Step Adopt(platform::FileHandle next, const platform::FileId& nextId, const std::string& what,
             const DayLog* nextLog = nullptr);
  // Lets go of the followed file once read to its end, into the retired file unless it is deleted where
  // that keeps its name taken.
  Step Retire();
  Step CatchUpRetired();
  Step CloseRetired();
  void Watch();
  void CloseFile();

  std::string name_;
  std::string path_;
  const OutputRun& run_;
  platform::ChangeWaiter& waiter_;
  std::size_t watchKey_ = 0;
  Step step_ = Step::kWait;
  // The start's lines have been shown: the lines that come from now on raise alerts.
  bool startShown_ = false;
  // The text's encoding has been told from its start, and the output built for it.
  bool textBegun_ = false;
  // The file the name now stands for could not be opened for want of descriptors, and that was said.
  bool unopened_ = false;
  // The encoding of the text shown.
  TextEncoding encoding_;
  std::optional<DayRollover> rollover_;
  ShownFile file_;
  platform::FileId id_;
  // One block for every read; left uninitialised, as clearing it would cost more than the start-up.
  std::unique_ptr<char[]> storage_;
  std::span<char> block_;
  std::unique_ptr<TextOutput> out_;
  RetiredFile retired_;
};

#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "follow/day_rollover.h"
#include "output/file_output.h"
#include "platform/viewer_platform.h"
#include "text/byte_order_mark.h"

// What to show: the last lineCount lines (with fromLine, everything from line lineCount on, counted
// from 1), and then, when following, everything appended.
struct ShowOptions {
  std::size_t lineCount = 10;
  bool fromLine = false;
  bool follow = true;
  // While following a log named PREFIX.YYYYMMDD of today, go on to the next day's log after midnight.
  bool rollover = true;
};

// Shows the last lines of one file and then, byte for byte, everything appended to it. It goes on from
// the start when the file is truncated, and switches to the new file when the name comes to stand for
// another one, or when the next day's log takes over from today's, after finishing the old; the old file is
// still read for a while after the switch, for what its writer adds before reopening. A stream (pipe, FIFO,
// terminal, standard input as "-") is read as it arrives, keeping only its last lines until they are shown.
// The rounds of following, and the waits between them, are the caller's.
class Follower {
 public:
  // kWait: all caught up, wait for a change; kRecheck: look again at once; kStop: the output is gone or
  // a stop was asked for; kFail: this file cannot be read on; kOutputFailed: standard output cannot be
  // written. kFail and kOutputFailed have been reported.
  enum class Step { kWait, kRecheck, kStop, kFail, kOutputFailed };

  // `name` is the file as the user gave it, used in messages; `path` is how the system reads it.
  // `encoding` is the one asked for, or null: then each file's byte order mark names it, if it has one.
  Follower(const char* name, std::string path, const char* encoding, FileOutput& out,
           viewer_platform::ChangeWaiter& waiter);
  ~Follower();
  Follower(const Follower&) = delete;
  Follower& operator=(const Follower&) = delete;

  // Opens the file; false, said on standard error, when it cannot be.
  bool Open();
  [[nodiscard]] bool IsStream() const { return !viewer_platform::CanSeek(file_); }
  // Shows the file's last lines; when following, its watches are set before the first read.
  Step ShowLastLines(const ShowOptions& options);
  // Shows a stream's last lines and, when following, everything after them until it ends.
  Step ShowStream(const ShowOptions& options);
  // Looks at what the name stands for now, and at the day.
  Step Check();
  Step CatchUp();
  // Tells the output that a wait begins.
  Step Idle() { return Written(out_.Idle()); }
  // How long the next wait may last at most, in milliseconds; negative for no limit.
  [[nodiscard]] int WaitLimit() const;
  // The followed file's name as given, which the day's rollover changes.
  [[nodiscard]] const std::string& name() const { return name_; }
  // The step that follows a write to the output, the failure to write reported.
  static Step Written(viewer_platform::WriteResult result);

 private:
  // How long a file is still read after the name has come to stand for another: a writer may add lines
  // to it before it reopens the name.
  static constexpr std::chrono::milliseconds kRetireAfter{5000};

  // A file no longer at the name, still read until its time is up.
  struct Retiring {
    viewer_platform::FileHandle file = viewer_platform::kNoFile;
    std::uint64_t offset = 0;
    LineEnds lineEnds;
    std::chrono::steady_clock::time_point until;
  };

  // Reads a stream's first bytes until they tell its encoding and readies the output for it; `rest` is
  // what was read after a byte order mark, and `ended` whether the stream ended there.
  Step BeginStreamText(std::string& rest, bool& ended);
  Step ShowStreamLastLines(const ShowOptions& options, std::string_view first, bool ended);
  // The next bytes of the stream, once the output has been told that a wait begins when none are at hand.
  viewer_platform::StreamRead ReadStream(int limitMilliseconds, std::size_t& count);
  Step Write(std::span<const char> bytes);
  Step EndOfFile();
  Step CatchUpRetiring();
  // Reads the start of the file for its encoding and readies the output for it; false while the file
  // is too short yet to tell, when `more` may come.
  bool BeginText(bool more);
  void UseEncoding(const TextEncoding& encoding);
  // Shows the rest of a file; only its whole lines when their line ends are given.
  Step CopyToEnd(viewer_platform::FileHandle file, std::uint64_t& offset,
                 std::optional<LineEnds> wholeLines = std::nullopt);
  [[nodiscard]] std::ptrdiff_t WholeLinesIn(std::ptrdiff_t count, std::uint64_t offset, LineEnds ends) const;
  Step CheckName();
  Step CheckRollover();
  // Switches to the file `next`, the one that the name now stands for, shown from its start, announcing
  // the switch with one line.
  Step Adopt(viewer_platform::FileHandle next, const viewer_platform::FileId& nextId,
             const std::string& announcement);
  Step Retire();
  Step CloseRetiring();
  void Watch();
  void CloseFile();
  void Report(const char* what, const std::string& detail = {}) const;
  [[nodiscard]] std::string ShownName() const;

  std::string name_;
  std::string path_;
  const char* askedEncoding_;
  // The text's encoding has been told from its start, and the output readied for it.
  bool textBegun_ = false;
  LineEnds lineEnds_;
  std::optional<DayRollover> rollover_;
  viewer_platform::FileHandle file_ = viewer_platform::kNoFile;
  viewer_platform::FileId id_;
  std::uint64_t offset_ = 0;
  Retiring retiring_;
  // One block for every read; left uninitialised, as clearing it would cost more than the start-up.
  std::unique_ptr<char[]> storage_;
  std::span<char> buffer_;
  FileOutput& out_;
  viewer_platform::ChangeWaiter& waiter_;
  std::size_t watchKey_;
};

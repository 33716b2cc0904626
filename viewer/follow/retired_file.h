#pragma once

#include <chrono>
#include <span>
#include <string>

#include "follow/shown_file.h"
#include "follow/step.h"
#include "platform/files.h"
#include "platform/output_sink.h"

// A file that the followed name no longer stands for, still read for a while: its writer may add lines
// to it before it reopens the name. Until it is closed only its whole lines are shown, so that they do
// not mix with the next file's.
class RetiredFile {
 public:
  // How long the file is read after it is retired.
  static constexpr std::chrono::milliseconds kReadFor{5000};

  // Shows through `block` into `out`; a read failure is said under `name`.
  RetiredFile(std::span<char> block, OutputSink& out, const std::string& name)
      : block_(block), out_(out), name_(name) {}
  RetiredFile(std::span<char> block, OutputSink& out, std::string&& name) = delete;
  ~RetiredFile();
  RetiredFile(const RetiredFile&) = delete;
  RetiredFile& operator=(const RetiredFile&) = delete;

  [[nodiscard]] bool IsOpen() const { return shown_.file != viewer_platform::kNoFile; }
  [[nodiscard]] viewer_platform::FileHandle file() const { return shown_.file; }
  // Takes the file, shown up to its offset, for the time it is read.
  void Take(const ShownFile& shown);
  // Shows the whole lines added to it; once its time is up, closes it.
  Step CatchUp();
  // Shows the rest of it, whole lines or not, and closes it.
  Step Close();
  // How long until its time is up, in milliseconds; negative when it is not open.
  [[nodiscard]] int MillisecondsLeft() const;

 private:
  using Clock = std::chrono::steady_clock;

  std::span<char> block_;
  OutputSink& out_;
  const std::string& name_;
  ShownFile shown_;
  Clock::time_point until_;
};

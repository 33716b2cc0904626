#pragma once

#include <chrono>
#include <memory>
#include <span>
#include <string>

#include "follow/shown_file.h"
#include "follow/step.h"
#include "output/text_output.h"
#include "platform/files.h"

// A file that the followed name no longer stands for, still read for a while: its writer may add lines
// to it before it reopens the name. It keeps the output of its own text, so that nothing of it joins the
// next file's; until it is closed only its whole lines are shown.
class RetiredFile {
 public:
  // How long the file is read after it is retired.
  static constexpr std::chrono::milliseconds kReadFor{5000};

  // Shows through `block`.
  explicit RetiredFile(std::span<char> block) : block_(block) {}
  ~RetiredFile();
  RetiredFile(const RetiredFile&) = delete;
  RetiredFile& operator=(const RetiredFile&) = delete;

  [[nodiscard]] bool IsOpen() const { return shown_.file != platform::kNoFile; }
  [[nodiscard]] platform::FileHandle file() const { return shown_.file; }
  // Takes the file, shown up to its offset, and the output of its text, for the time it is read.
  void Take(const ShownFile& shown, std::unique_ptr<TextOutput> out);
  // Shows the whole lines added to it; once its time is up, closes it.
  Step CatchUp();
  // Shows the rest of it, whole lines or not, and what its output holds back, and closes it.
  Step Close();
  // Tells its output that a wait begins.
  Step Idle();
  // At the end of the run: see TextOutput::Finish.
  Step End(bool outputFailed);
  // How long until its time is up, in milliseconds; negative when it is not open.
  [[nodiscard]] int MillisecondsLeft() const;

 private:
  using Clock = std::chrono::steady_clock;

  std::span<char> block_;
  std::unique_ptr<TextOutput> out_;
  ShownFile shown_;
  Clock::time_point until_;
};

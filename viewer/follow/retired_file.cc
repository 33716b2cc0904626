#include "follow/retired_file.h"

#include <algorithm>
#include <utility>

RetiredFile::~RetiredFile() {
  if (IsOpen()) {
    platform::Close(shown_.file);
  }
}

void RetiredFile::Take(const ShownFile& shown, std::unique_ptr<TextOutput> out) {
  shown_ = shown;
  out_ = std::move(out);
  until_ = Clock::now() + kReadFor;
}

Step RetiredFile::CatchUp() {
  if (!IsOpen()) {
    return Step::kWait;
  }
  return Clock::now() >= until_ ? Close() : ShowToEnd(shown_, true, block_, *out_, out_->name());
}

Step RetiredFile::Close() {
  if (!IsOpen()) {
    return Step::kWait;
  }
  Step step = ShowToEnd(shown_, false, block_, *out_, out_->name());
  if (step == Step::kWait) {
    step = StepAfterWrite(out_->EndOfFile());
  }
  platform::Close(shown_.file);
  shown_ = {};
  out_.reset();
  return step;
}

Step RetiredFile::Idle() { return out_ != nullptr ? StepAfterWrite(out_->Idle()) : Step::kWait; }

Step RetiredFile::End(bool outputFailed) {
  return out_ != nullptr ? StepAfterWrite(out_->Finish(outputFailed)) : Step::kWait;
}

int RetiredFile::MillisecondsLeft() const {
  if (!IsOpen()) {
    return -1;
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(until_ - Clock::now());
  return static_cast<int>(std::clamp(left, std::chrono::milliseconds{0}, kReadFor).count());
}

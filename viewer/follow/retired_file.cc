#include "follow/retired_file.h"

#include <algorithm>

namespace vp = viewer_platform;

RetiredFile::~RetiredFile() {
  if (IsOpen()) {
    vp::Close(shown_.file);
  }
}

void RetiredFile::Take(const ShownFile& shown) {
  shown_ = shown;
  until_ = Clock::now() + kReadFor;
}

Step RetiredFile::CatchUp() {
  if (!IsOpen()) {
    return Step::kWait;
  }
  return Clock::now() >= until_ ? Close() : ShowToEnd(shown_, true, block_, out_, name_);
}

Step RetiredFile::Close() {
  if (!IsOpen()) {
    return Step::kWait;
  }
  const Step step = ShowToEnd(shown_, false, block_, out_, name_);
  vp::Close(shown_.file);
  shown_ = {};
  return step;
}

int RetiredFile::MillisecondsLeft() const {
  if (!IsOpen()) {
    return -1;
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(until_ - Clock::now());
  return static_cast<int>(std::clamp(left, std::chrono::milliseconds{0}, kReadFor).count());
}

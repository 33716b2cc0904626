#include "report.h"

#include <cstdio>

#include "platform.h"

namespace {

constexpr unsigned kFailurePauseMilliseconds = 1000;

}  // namespace

void FailWithPause(const char* message) {
  std::fputs(message, stdout);
  platform::PauseMilliseconds(kFailurePauseMilliseconds);
}

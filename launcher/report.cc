#include "report.h"

#include <cstdio>

#include "platform.h"

void FailWithPause(const char* message) {
  std::fputs(message, stdout);
  platform::PauseMilliseconds(kFailurePauseMilliseconds);
}

// The Windows platform layer: the C runtime's access test, the kernel's Sleep and WinExec.
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform.h"

namespace platform {

int TestAccess(const char* path, int mode) { return _access(path, mode) == 0 ? 0 : -1; }

void PauseMilliseconds(unsigned milliseconds) {
  std::fflush(stdout);
  Sleep(milliseconds);
}

void StartProgram(const char* commandLine) {
  std::fflush(stdout);
  WinExec(commandLine, SW_SHOW);
}

}  // namespace platform

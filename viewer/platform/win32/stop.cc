// Stop requests on Windows: console control events set a flag; standard output goes into binary mode.
#include "platform/stop.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace platform {
namespace {

volatile LONG g_stopRequested = 0;

BOOL WINAPI RequestStop(DWORD /*event*/) {
  InterlockedExchange(&g_stopRequested, 1);
  return TRUE;
}

}  // namespace

bool PrepareProcess() {
  return _setmode(_fileno(stdout), _O_BINARY) != -1 && SetConsoleCtrlHandler(RequestStop, TRUE) != FALSE;
}

bool StopRequested() { return g_stopRequested != 0; }

}  // namespace platform

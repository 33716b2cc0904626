// Stop requests and waiting on Windows: console control events request a stop, and waiting is a
// short poll.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "viewer_platform.h"

namespace viewer_platform {
namespace {

constexpr DWORD kPollMilliseconds = 100;

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

void WatchForChanges(const std::string& /*path*/, std::span<const FileHandle> /*openFiles*/) {}

void WaitForChange(int limitMilliseconds) {
  Sleep(limitMilliseconds >= 0 && static_cast<DWORD>(limitMilliseconds) < kPollMilliseconds
            ? static_cast<DWORD>(limitMilliseconds)
            : kPollMilliseconds);
}

}  // namespace viewer_platform

// The Windows platform layer: the C runtime's access test, the kernel's Sleep and CreateProcessA.
#include "platform.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

#include "bounds.h"
#include "common/bounded_text.h"

namespace {

// A full path is the current directory joined to a path of up to 511 characters.
constexpr std::size_t kMaxFullPathSize = 1024;

}  // namespace

namespace platform {

int TestAccess(const char* path, int mode) { return _access(path, mode) == 0 ? 0 : -1; }

// Any other failure (the file gone, locked by its writer) is left for the viewer to report.
bool MayOpenForReading(const char* path) {
  wchar_t widePath[kPathSize];
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, widePath, static_cast<int>(kPathSize)) ==
      0) {
    return true;
  }
  // Backup semantics open a directory too, which passes the tests like a file.
  const HANDLE file =
      CreateFileW(widePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError() != ERROR_ACCESS_DENIED;
  }
  CloseHandle(file);
  return true;
}

void PauseMilliseconds(unsigned milliseconds) {
  std::fflush(stdout);
  Sleep(milliseconds);
}

void IgnoreClosedOutput() {}

// As WinExec(commandLine, SW_SHOW) would, except that the program is the file at programPath taken
// from the current directory: no search of the launcher's directory or the search path.
void StartProgram(const char* programPath, const char* commandLine) {
  char fullPath[kMaxFullPathSize];
  // CreateProcessA may write into the command line it is given, so it gets a copy.
  char line[kCommandLineSize];
  const DWORD length = GetFullPathNameA(programPath, sizeof fullPath, fullPath, nullptr);
  if (length == 0 || length >= sizeof fullPath || !FormatBounded(line, "%s", commandLine)) {
    return;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  std::fflush(stdout);
  if (CreateProcessA(fullPath, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) !=
      FALSE) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

}  // namespace platform

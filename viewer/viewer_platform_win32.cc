// The Windows platform layer: files are opened sharing read, write and delete access with the
// writer, waiting is a short poll, and console control events request a stop.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "viewer_platform.h"

namespace viewer_platform {
namespace {

constexpr DWORD kPollMilliseconds = 100;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

volatile LONG g_stopRequested = 0;

BOOL WINAPI RequestStop(DWORD /*event*/) {
  InterlockedExchange(&g_stopRequested, 1);
  return TRUE;
}

// The handle is kept as an integer so that the shared header names no Windows type.
HANDLE ToHandle(FileHandle file) {
  return reinterpret_cast<HANDLE>(file);  // NOLINT(performance-no-int-to-ptr)
}

HANDLE OpenShared(const std::string& path, DWORD access) {
  return CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IdentifyHandle(HANDLE file, FileId& id) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (GetFileInformationByHandle(file, &information) == FALSE) {
    return false;
  }
  id = FileId{information.dwVolumeSerialNumber,
              (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
  return true;
}

}  // namespace

bool PrepareProcess() {
  return _setmode(_fileno(stdout), _O_BINARY) != -1 && SetConsoleCtrlHandler(RequestStop, TRUE) != FALSE;
}

bool StopRequested() { return g_stopRequested != 0; }

std::string ToNativePath(const char* path) { return path; }

FileHandle OpenForReading(const std::string& path) {
  const HANDLE file = OpenShared(path, GENERIC_READ);
  return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(file);
}

void Close(FileHandle file) { CloseHandle(ToHandle(file)); }

bool IdentifyOpen(FileHandle file, FileId& id) { return IdentifyHandle(ToHandle(file), id); }

bool IdentifyPath(const std::string& path, FileId& id) {
  const HANDLE file = OpenShared(path, FILE_READ_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool identified = IdentifyHandle(file, id);
  CloseHandle(file);
  return identified;
}

std::int64_t SizeOf(FileHandle file) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(ToHandle(file), &size) != FALSE ? size.QuadPart : -1;
}

std::ptrdiff_t ReadAt(FileHandle file, std::uint64_t offset, std::span<char> into) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD count = 0;
  if (ReadFile(ToHandle(file), into.data(), static_cast<DWORD>(into.size()), &count, &position) == FALSE) {
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  }
  return static_cast<std::ptrdiff_t>(count);
}

// Without POSIX delete semantics a deleted file's name stays pending until every handle is closed.
bool OpenFileHoldsDeletedName() { return true; }

WriteResult WriteOut(std::span<const char> bytes) {
  while (!bytes.empty()) {
    const unsigned chunk = bytes.size() > 0x10000 ? 0x10000U : static_cast<unsigned>(bytes.size());
    const int written = _write(1, bytes.data(), chunk);
    if (written < 0) {
      return errno == EPIPE || errno == EINVAL ? WriteResult::kOutputGone : WriteResult::kFailed;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
    if (StopRequested()) {
      return WriteResult::kStopped;
    }
  }
  return WriteResult::kWritten;
}

std::string LastErrorText() {
  char text[256] = "";
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      GetLastError(), 0, text, sizeof text, nullptr);
  std::string line(text, length);
  line.erase(line.find_last_not_of("\r\n .") + 1);
  return line.empty() ? "unknown error" : line;
}

void WatchForChanges(const std::string& /*path*/) {}

void WaitForChange(int limitMilliseconds) {
  Sleep(limitMilliseconds >= 0 && static_cast<DWORD>(limitMilliseconds) < kPollMilliseconds
            ? static_cast<DWORD>(limitMilliseconds)
            : kPollMilliseconds);
}

}  // namespace viewer_platform

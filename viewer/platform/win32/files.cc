// File access on Windows: files are opened sharing read, write and delete access with the writer;
// pipes and other streams are read as bytes arrive, and "-" is standard input.
#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "platform/stop.h"
#include "platform/wait.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The handle is kept as an integer so that the shared header names no Windows type.
HANDLE ToHandle(FileHandle file) {
  return reinterpret_cast<HANDLE>(file);  // NOLINT(performance-no-int-to-ptr)
}

FileHandle FromHandle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(handle);
}

// An error code of this program's own (bit 29 marks such codes), for a directory given as the file:
// opening one is denied, which would read as a lack of permission.
constexpr DWORD kIsADirectory = 0x20000001;

// Without FILE_FLAG_BACKUP_SEMANTICS a directory cannot be opened, so it is refused here.
HANDLE OpenShared(const std::string& path, DWORD access) {
  return CreateFileW(win32::WideText(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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

// Anonymous pipes cannot be waited on: they are looked at every poll interval, so that a stop is seen.
// False when the pipe cannot be looked at (so that only a blocking read is left) or has ended.
bool WaitForPipeBytes(HANDLE pipe, int limitMilliseconds, DWORD& available) {
  DWORD waited = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) != FALSE) {
    if (available > 0 || StopRequested() ||
        (limitMilliseconds >= 0 && waited >= static_cast<DWORD>(limitMilliseconds))) {
      return true;
    }
    Sleep(static_cast<DWORD>(kPollMilliseconds));
    waited += static_cast<DWORD>(kPollMilliseconds);
  }
  return false;
}

bool IsConsoleInput(HANDLE handle) {
  DWORD mode = 0;
  return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode) != FALSE;
}

// Waits at most limitMilliseconds for a key pressed on the console, a poll interval at a time so that a
// stop is seen; false when none came in time. Events that the console's line editing passes over (key
// releases, the mouse, focus and size changes) are taken off its input on the way, so that a read, which
// waits for the whole line, begins only once a line is being typed. A line a read left partly unread
// raises no event: the next read without a limit takes it.
bool WaitForConsoleKey(HANDLE console, int limitMilliseconds) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limitMilliseconds);
  for (;;) {
    INPUT_RECORD record{};
    DWORD count = 0;
    if (PeekConsoleInputW(console, &record, 1, &count) == FALSE) {
      // Nothing to be learnt of the input: the read is left to wait as it does.
      return true;
    }
    if (count > 0 && record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown != FALSE) {
      return true;
    }
    if (count > 0) {
      ReadConsoleInputW(console, &record, 1, &count);
      continue;
    }
    const ULONGLONG now = GetTickCount64();
    if (StopRequested() || now >= deadline) {
      return false;
    }
    WaitForSingleObject(console, static_cast<DWORD>(std::min<ULONGLONG>(
                                     deadline - now, static_cast<ULONGLONG>(kPollMilliseconds))));
  }
}

StreamRead EndOrFailure() {
  const DWORD error = GetLastError();
  return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF ? StreamRead::kEnd : StreamRead::kFailed;
}

}  // namespace

// The system's full form of the path, as its file calls resolve it: the dots and blanks that end the
// last name dropped, "." and ".." taken; a \\?\ path as it is.
std::string ToNativePath(const char* path) {
  if (std::string_view(path) == kStandardInputName) {
    return path;
  }
  const std::wstring wide = win32::WideText(path);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD length = size > 0 ? GetFullPathNameW(wide.c_str(), size, full.data(), nullptr) : 0;
  if (length == 0 || length >= size) {
    return path;
  }
  full.resize(length);
  return win32::Utf8Text(full);
}

FileHandle OpenForReading(const std::string& path) {
  if (path == kStandardInputName) {
    return FromHandle(GetStdHandle(STD_INPUT_HANDLE));
  }
  const HANDLE file = OpenShared(path, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED &&
      IsDirectory(win32::WideText(path))) {
    SetLastError(kIsADirectory);
  }
  return FromHandle(file);
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

bool CanSeek(FileHandle file) { return GetFileType(ToHandle(file)) == FILE_TYPE_DISK; }

// A renamed file keeps a name and is not deleted; a deleted one is pending deletion (or, under Wine,
// has lost its last link).
bool IsDeleted(FileHandle file) {
  FILE_STANDARD_INFO information{};
  return GetFileInformationByHandleEx(ToHandle(file), FileStandardInfo, &information, sizeof information) !=
             FALSE &&
         (information.DeletePending != FALSE || information.NumberOfLinks == 0);
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

StreamRead ReadStream(FileHandle file, std::span<char> into, int limitMilliseconds, std::size_t& count) {
  const HANDLE handle = ToHandle(file);
  DWORD wanted = static_cast<DWORD>(into.size());
  DWORD available = 0;
  if (GetFileType(handle) == FILE_TYPE_PIPE && WaitForPipeBytes(handle, limitMilliseconds, available)) {
    if (available == 0) {
      return StreamRead::kIdle;
    }
    wanted = available < wanted ? available : wanted;
  } else if (limitMilliseconds >= 0 && IsConsoleInput(handle) &&
             !WaitForConsoleKey(handle, limitMilliseconds)) {
    return StreamRead::kIdle;
  }
  DWORD got = 0;
  const BOOL read = ReadFile(handle, into.data(), wanted, &got, nullptr);
  // A console's read waits for a whole line, through a Ctrl-C too: the stop is obeyed once it returns,
  // whatever it gave.
  if (StopRequested()) {
    return StreamRead::kIdle;
  }
  if (read == FALSE) {
    return EndOrFailure();
  }
  count = got;
  return got == 0 ? StreamRead::kEnd : StreamRead::kData;
}

// Without POSIX delete semantics a deleted file's name stays pending until every handle is closed.
bool OpenFileHoldsDeletedName() { return true; }

namespace {

std::wstring WidePathBesideProgram(const char* name) {
  std::array<wchar_t, 32768> program{};
  const DWORD length = GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
  if (length == 0 || length >= program.size()) {
    return {};
  }
  std::wstring path(program.data(), length);
  path.erase(path.find_last_of(L"\\/") + 1);
  for (; *name != '\0'; ++name) {
    path += static_cast<wchar_t>(*name);
  }
  return path;
}

}  // namespace

std::string PathBesideProgram(const char* name) { return win32::Utf8Text(WidePathBesideProgram(name)); }

SmallFileRead ReadBesideProgram(const char* name, std::size_t limit, std::string& text) {
  const std::wstring path = WidePathBesideProgram(name);
  if (path.empty()) {
    return SmallFileRead::kMissing;
  }
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && IsDirectory(path)) {
      SetLastError(kIsADirectory);
      return SmallFileRead::kFailed;
    }
    SetLastError(error);
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? SmallFileRead::kMissing
                                                                          : SmallFileRead::kFailed;
  }
  // A pipe or a device of that name (a FIFO under Wine) is never read: the read could wait for ever.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return SmallFileRead::kNotAFile;
  }
  // One byte more than the limit tells a file that is too large.
  text.resize(limit + 1);
  std::size_t size = 0;
  DWORD count = 0;
  BOOL read = TRUE;
  while (size < text.size() &&
         (read = ReadFile(file, text.data() + size, static_cast<DWORD>(text.size() - size), &count,
                          nullptr)) != FALSE &&
         count > 0) {
    size += count;
  }
  const DWORD error = read == FALSE ? GetLastError() : 0;
  CloseHandle(file);
  text.resize(size);
  SetLastError(error);
  return error != 0 ? SmallFileRead::kFailed : size > limit ? SmallFileRead::kTooLarge : SmallFileRead::kRead;
}

std::string LastErrorText() {
  const DWORD error = GetLastError();
  if (error == kIsADirectory) {
    return "Is a directory";
  }
  wchar_t text[256] = L"";
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      error, 0, text, static_cast<DWORD>(std::size(text)), nullptr);
  std::string line = win32::Utf8Text({text, length});
  line.erase(line.find_last_not_of("\r\n .") + 1);
  return line.empty() ? "unknown error" : line;
}

}  // namespace platform

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The operating system services the viewer needs. Each platform source implements them for one
// system; the viewer's logic above this layer is shared.
namespace viewer_platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Tells two files apart: device and inode on POSIX, volume serial and file index on Windows.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

enum class WriteResult { kWritten, kOutputGone, kStopped, kFailed };

// Ignores SIGPIPE and turns stop requests (SIGINT, SIGTERM, console control events) into a flag;
// puts standard output into binary mode where the system has text modes.
bool PrepareProcess();
bool StopRequested();

// The path as the system reads it: on POSIX every backslash becomes a separator.
std::string ToNativePath(const char* path);

// Opens for reading while writers may still write, rename or delete the file. kNoFile on failure.
FileHandle OpenForReading(const std::string& path);
void Close(FileHandle file);
bool IdentifyOpen(FileHandle file, FileId& id);
// False when the name does not lead to a file that can be opened now.
bool IdentifyPath(const std::string& path, FileId& id);
// The current size in bytes, or -1.
std::int64_t SizeOf(FileHandle file);
// Reads at offset without moving any shared position. Returns the bytes read, 0 at the end, -1 on error.
std::ptrdiff_t ReadAt(FileHandle file, std::uint64_t offset, std::span<char> into);

// True where an open file keeps a deleted name taken, so that it cannot be created anew until closed.
bool OpenFileHoldsDeletedName();

// Writes all bytes to standard output.
WriteResult WriteOut(std::span<const char> bytes);

// The reason for the last failed call above, as one line of text.
std::string LastErrorText();

// Points change notification at the file now at path and at its directory.
void WatchForChanges(const std::string& path);
// Returns when the watched file or its directory may have changed, at the latest after a short poll
// interval where notification is unavailable or after limitMilliseconds (no limit when negative), or as
// soon as a stop is requested.
void WaitForChange(int limitMilliseconds = -1);

}  // namespace viewer_platform

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

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

// The file name that stands for standard input.
inline constexpr const char* kStandardInputName = "-";

// Opens for reading while writers may still write, rename or delete the file; the name "-" opens
// standard input. A directory is refused. kNoFile on failure, and when a stop ends the wait for a
// FIFO's writer.
FileHandle OpenForReading(const std::string& path);
void Close(FileHandle file);
bool IdentifyOpen(FileHandle file, FileId& id);
// False when the name does not lead to a regular file now.
bool IdentifyPath(const std::string& path, FileId& id);
// True for a file read at offsets; false for pipes, FIFOs, terminals and other streams.
bool CanSeek(FileHandle file);
// True once the open file has no name left (deleted, or delete pending on Windows).
bool IsDeleted(FileHandle file);
// The current size in bytes, or -1.
std::int64_t SizeOf(FileHandle file);
// Reads at offset without moving any shared position. Returns the bytes read, 0 at the end, -1 on error.
std::ptrdiff_t ReadAt(FileHandle file, std::uint64_t offset, std::span<char> into);

enum class StreamRead { kData, kEnd, kIdle, kFailed };
// Reads the next bytes of a stream into `into`, setting `count`. Waits at most limitMilliseconds (no
// limit when negative) for them: kIdle when none came in time, a stop was requested or the output's
// reader went away; kEnd at the end of the input.
StreamRead ReadStream(FileHandle file, std::span<char> into, int limitMilliseconds, std::size_t& count);

// True where an open file keeps a deleted name taken, so that it cannot be created anew until closed.
bool OpenFileHoldsDeletedName();

// Writes all bytes to standard output, giving way to a stop request.
WriteResult WriteOut(std::span<const char> bytes);
// Writes a last few bytes to standard output even after a stop, giving a full non-blocking output a
// second to take them.
void WriteOutAtEnd(std::string_view bytes);
// True once standard output is a pipe or socket whose reader has gone away.
bool OutputGone();

// The settings file `name` in the directory of the running program (as the system names the program
// file, whatever name started it), read whole into `text` if it holds at most `limit` bytes; kMissing
// also when the program's own path cannot be found, so that no other directory's file is read.
enum class SettingsRead { kRead, kMissing, kTooLarge, kFailed };
SettingsRead ReadBesideProgram(const char* name, std::size_t limit, std::string& text);
// Where that file is, for the help to tell; empty when the program's own path cannot be found.
std::string PathBesideProgram(const char* name);

// The reason for the last failed call above, as one line of text.
std::string LastErrorText();

// Waits for changes to the files followed under a set of names. Each name is watched with the files
// open for it, and every directory it passes through to reach its file, wherever that lives. Where
// notification cannot be trusted (a remote or FUSE file system, a name that leads nowhere, a lost
// watch) waiting polls, and watches are set again.
class ChangeWaiter {
 public:
  ChangeWaiter();
  ~ChangeWaiter();
  ChangeWaiter(const ChangeWaiter&) = delete;
  ChangeWaiter& operator=(const ChangeWaiter&) = delete;

  // A new name to watch; returns its key.
  std::size_t Add();
  // Points notification for the name under `key` at `path` and its open files, replacing what it
  // watched before.
  void Watch(std::size_t key, const std::string& path, std::span<const FileHandle> openFiles);
  // Returns when a watched file or directory may have changed, at the latest after a short poll
  // interval where notification is unavailable or after limitMilliseconds (no limit when negative), or
  // as soon as a stop is requested or the output's reader goes away.
  void Wait(int limitMilliseconds);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace viewer_platform

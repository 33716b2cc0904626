#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Reading files and streams, the operating system's way, one source per system (posix/, win32/); the
// viewer's logic above this layer is shared.
namespace platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Tells two files apart: device and inode on POSIX, volume serial and file index on Windows.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

// The path as the system reads it: on POSIX every backslash becomes a separator; on Windows its full
// form, in which the dots and blanks that end the last name are dropped. "-" stays as it is.
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
// limit when negative) for them: kIdle when none came in time, a stop was requested (whatever the read
// gave) or the output's reader went away; kEnd at the end of the input. A console's keyboard gives a
// line once it is typed whole; a line being typed counts as come in time.
StreamRead ReadStream(FileHandle file, std::span<char> into, int limitMilliseconds, std::size_t& count);

// True where an open file keeps a deleted name taken, so that it cannot be created anew until closed.
bool OpenFileHoldsDeletedName();

// A small file `name` (the settings file) in the directory of the running program (as the system names the
// program file, whatever name started it), read whole into `text` if it holds at most `limit` bytes; kMissing
// also when the program's own path cannot be found, so that no other directory's file is read. A
// directory is kFailed, said by LastErrorText(); anything else that is not a regular file (a FIFO, a
// device) is kNotAFile, and never waited on.
enum class SmallFileRead { kRead, kMissing, kTooLarge, kNotAFile, kFailed };
SmallFileRead ReadBesideProgram(const char* name, std::size_t limit, std::string& text);
// Where that file is, in the program's own character set as its arguments are (UTF-8 on Windows), for the
// help to tell; empty when the program's own path cannot be found.
std::string PathBesideProgram(const char* name);

// The reason for the last failed call of this layer, as one line of text.
std::string LastErrorText();

}  // namespace platform

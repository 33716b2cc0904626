#pragma once

#include <cstddef>

// The few operating system services the launcher needs. Paths and command lines are always in Windows
// form (backslash separators); each platform source decides how to read them.
namespace platform {

inline constexpr int kAccessExists = 0;
inline constexpr int kAccessReadable = 4;

// Returns 0 when the path passes the access test for the mode above, like the C runtime's access.
int TestAccess(const char* path, int mode);

// False when the file cannot be opened for reading for lack of permission, sharing every access with
// its writer. Windows' access test for reading checks only that the file exists, so there the open is
// where an unreadable log shows; on POSIX the access test has told already, and this is always true.
bool MayOpenForReading(const char* path);

// Flushes standard output, so a message is on the console before the pause begins, then sleeps.
void PauseMilliseconds(unsigned milliseconds);

// Lets writes to an output whose reader has gone fail quietly instead of ending the program.
void IgnoreClosedOutput();

// Starts the program at programPath, relative to the current directory and never looked up along a
// search path, with the whole command line (whose first argument names the same program), asked to
// show its window, and returns without waiting for it. A failed start is not reported.
void StartProgram(const char* programPath, const char* commandLine);

}  // namespace platform

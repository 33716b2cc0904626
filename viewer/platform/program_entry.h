#pragma once

// The program's start, one source per system (posix/, win32/): the system's entry point reads the
// command line and calls the program, which main.cc gives, with its arguments as the program reads
// them: as given on POSIX; on Windows as UTF-8, taken from the C runtime's UTF-16 arguments, so that
// every character of a file's name is kept, whatever the ANSI code page holds. `argv` begins with the
// program's own name and lives until the program returns its exit status.
int ProgramMain(int argc, char* argv[]);

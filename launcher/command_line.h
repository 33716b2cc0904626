#pragma once

#include <span>

// Command lines follow the Microsoft C runtime's rules: blanks and tabs separate arguments, double
// quotes group them, and backslashes are literal except in a run that ends in a double quote, where
// 2n backslashes give n and the quote delimits, and 2n+1 give n and a literal quote.

// Writes "VIEWER -f LOG" into out. A path holding a blank, tab or double quote (or an empty one) is
// quoted and escaped so that splitting the line gives back exactly the viewer path, "-f" and the log
// path; any other path stands as it is. Returns false, leaving out empty, when the line does not fit.
bool BuildViewerCommandLine(std::span<char> out, const char* viewerPath, const char* logPath);

// Splits a command line into arguments, written one after another, each NUL-terminated, into storage;
// args receives a pointer to each and then a null pointer. Returns the number of arguments, or -1 when
// storage or args are too small. Storage one byte longer than the line and args for half its length
// plus two always suffice.
int SplitCommandLine(const char* commandLine, std::span<char> storage, std::span<char*> args);

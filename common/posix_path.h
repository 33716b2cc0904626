#pragma once

// Reads a Windows-form path on a POSIX file system: every backslash is taken as a separator.
inline void ToPosixSeparators(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text == '\\') {
      *text = '/';
    }
  }
}

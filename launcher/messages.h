#pragma once

// The launcher's messages, in code page 949 like every text of the program, each one line.
inline constexpr char kFileMissing[] = "File not exist!!\n";
// "No read permission."
inline constexpr char kNoReadPermission[] =
    "\xC0\xD0\xB1\xE2 \xB1\xC7\xC7\xD1\xC0\xCC \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.!!\n";
inline constexpr char kNoLocalDate[] = "The local date cannot be read from the clock!!\n";
inline constexpr char kHomePathTooLong[] = "Project home path is longer than 255 characters!!\n";
inline constexpr char kLogPathTooLong[] = "Log path is longer than 511 characters!!\n";
inline constexpr char kCommandLineTooLong[] = "Viewer command line is longer than 255 characters!!\n";

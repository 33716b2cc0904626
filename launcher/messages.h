#pragma once

// The launcher's messages about the day's log, in code page 949 like every text of the program.
inline constexpr char kFileMissing[] = "File not exist!!\n";
// "No read permission."
inline constexpr char kNoReadPermission[] =
    "\xC0\xD0\xB1\xE2 \xB1\xC7\xC7\xD1\xC0\xCC \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.!!\n";

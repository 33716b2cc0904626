#pragma once

#include <string>

// Files and dates as the tests need them; every failure throws, so a test never goes on unprepared.

// A fresh temporary directory, removed with everything in it at the end.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes, const char* mode = "wb");
inline void AppendFile(const std::string& path, const std::string& bytes) { WriteFile(path, bytes, "ab"); }
// The whole file, or nothing when it cannot be read.
std::string ReadFile(const std::string& path);

// A POSIX path as a Windows program under Wine names it, on Wine's Z: drive.
std::string ZDrivePath(std::string posixPath);

// Today's local date stamp, by the same local-time rules the launcher uses.
std::string TodayStamp();

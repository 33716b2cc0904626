#include "test_files.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/date_stamp.h"

TempDirectory::TempDirectory() {
  std::string pattern = std::filesystem::temp_directory_path() / "daylog-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a temporary directory");
  }
  path_ = pattern;
}

TempDirectory::~TempDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes, const char* mode) {
  FILE* file = std::fopen(path.c_str(), mode);
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
      std::fclose(file) != 0) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

std::string TodayStamp() {
  char stamp[kDateStampSize];
  if (MakeDateStamp(stamp, 0) != 0) {
    throw std::runtime_error("no local date");
  }
  return stamp;
}

std::string ZDrivePath(std::string posixPath) {
  std::replace(posixPath.begin(), posixPath.end(), '/', '\\');
  return "Z:" + posixPath;
}

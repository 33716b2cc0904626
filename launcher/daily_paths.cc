#include "daily_paths.h"

#include "common/bounded_text.h"

const char* FormDailyPaths(std::span<char> home, const char* homeArgument, const char* prefix,
                           const char* stamp, std::span<char> viewer, std::span<char> log) {
  if (!FormatBounded(home, "%s", homeArgument)) {
    return "Project home path is longer than 255 characters!!\n";
  }
  if (!FormatBounded(viewer, "%s\\bin\\cmdtail.exe", home.data())) {
    return "Viewer path is longer than 511 characters!!\n";
  }
  if (!FormatBounded(log, "%s\\log\\%s.%s", home.data(), prefix, stamp)) {
    return "Log path is longer than 511 characters!!\n";
  }
  return nullptr;
}

// daylog PROJECT_HOME_PATH "LOG PREFIX": opens today's log, PROJECT_HOME_PATH\log\PREFIX.YYYYMMDD, in
// the project's tail viewer PROJECT_HOME_PATH\bin\cmdtail.exe. Every path ends with exit status 0;
// failures show only as lines on standard output.
#include <cstdio>

#include "bounded_text.h"
#include "date_stamp.h"
#include "platform.h"
#include "report.h"
#include "tail_launcher.h"

namespace {

constexpr int kPathSize = 512;

// The home path lives for the whole run.
char g_projectHome[256];

constexpr char kFileMissing[] = "File not exist!!\n";
// "No read permission." in code page 949.
constexpr char kNoReadPermission[] =
    "\xC0\xD0\xB1\xE2 \xB1\xC7\xC7\xD1\xC0\xCC \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.!!\n";

int ReportLogFailure(const char* logPath, const char* message) {
  std::printf("%s\n", logPath);
  FailWithPause(message);
  return 0;
}

int Refuse(const char* message) {
  FailWithPause(message);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    return 0;
  }
  TailLauncher launcher;
  if (!FormatBounded(g_projectHome, "%s", argv[1])) {
    return Refuse("Project home path is longer than 255 characters!!\n");
  }
  char stamp[kDateStampSize];
  if (MakeDateStamp(stamp, 0) != 0) {
    return Refuse("The local date cannot be read from the clock!!\n");
  }
  char viewerPath[kPathSize];
  if (!FormatBounded(viewerPath, "%s\\bin\\cmdtail.exe", g_projectHome)) {
    return Refuse("Viewer path is longer than 511 characters!!\n");
  }
  char logPath[kPathSize];
  if (!FormatBounded(logPath, "%s\\log\\%s.%s", g_projectHome, argv[2], stamp)) {
    return Refuse("Log path is longer than 511 characters!!\n");
  }
  if (platform::TestAccess(logPath, platform::kAccessExists) != 0) {
    return ReportLogFailure(logPath, kFileMissing);
  }
  if (platform::TestAccess(logPath, platform::kAccessReadable) != 0) {
    return ReportLogFailure(logPath, kNoReadPermission);
  }
  launcher.Launch(viewerPath, logPath);
  return 0;
}

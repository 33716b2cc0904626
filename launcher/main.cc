// daylog PROJECT_HOME_PATH "LOG PREFIX": opens today's log, PROJECT_HOME_PATH\log\PREFIX.YYYYMMDD, in
// the project's tail viewer PROJECT_HOME_PATH\bin\cmdtail.exe. Every path ends with exit status 0;
// failures show only as lines on standard output.
#include <cstdio>

#include "common/date_stamp.h"
#include "daily_paths.h"
#include "messages.h"
#include "platform.h"
#include "report.h"
#include "tail_launcher.h"

namespace {

// The home path lives for the whole run.
char g_projectHome[kHomePathSize];

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
  platform::IgnoreClosedOutput();
  TailLauncher launcher;
  char stamp[kDateStampSize];
  if (MakeDateStamp(stamp, 0) != 0) {
    return Refuse(kNoLocalDate);
  }
  char viewerPath[kPathSize];
  char logPath[kPathSize];
  if (const char* refusal = FormDailyPaths(g_projectHome, argv[1], argv[2], stamp, viewerPath, logPath)) {
    return Refuse(refusal);
  }
  // Every bound is checked before the log is tested: refused input never reaches the file tests.
  if (!TailLauncher::CommandLineFits(viewerPath, logPath)) {
    return Refuse(kCommandLineTooLong);
  }
  if (platform::TestAccess(logPath, platform::kAccessExists) != 0) {
    return ReportLogFailure(logPath, kFileMissing);
  }
  if (platform::TestAccess(logPath, platform::kAccessReadable) != 0 ||
      !platform::MayOpenForReading(logPath)) {
    return ReportLogFailure(logPath, kNoReadPermission);
  }
  launcher.Launch(viewerPath, logPath);
  return 0;
}

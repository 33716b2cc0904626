#include "tail_launcher.h"

#include "command_line.h"
#include "platform.h"
#include "report.h"

namespace {

constexpr int kCommandLineSize = 256;

}  // namespace

// A member, not a static function: callers create the launcher and hold it for the run.
int TailLauncher::Launch(const char* viewerPath,  // NOLINT(readability-convert-member-functions-to-static)
                         const char* logPath) {
  char commandLine[kCommandLineSize];
  if (!BuildViewerCommandLine(commandLine, viewerPath, logPath)) {
    FailWithPause("Viewer command line is longer than 255 characters!!\n");
    return 0;
  }
  platform::StartProgram(commandLine);
  return 0;
}

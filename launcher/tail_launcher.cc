#include "tail_launcher.h"

#include "bounds.h"
#include "command_line.h"
#include "platform.h"

bool TailLauncher::CommandLineFits(const char* viewerPath, const char* logPath) {
  char commandLine[kCommandLineSize];
  return BuildViewerCommandLine(commandLine, viewerPath, logPath);
}

// A member, not a static function: callers create the launcher and hold it for the run.
int TailLauncher::Launch(const char* viewerPath,  // NOLINT(readability-convert-member-functions-to-static)
                         const char* logPath) {
  char commandLine[kCommandLineSize];
  if (BuildViewerCommandLine(commandLine, viewerPath, logPath)) {
    platform::StartProgram(viewerPath, commandLine);
  }
  return 0;
}

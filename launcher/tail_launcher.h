#pragma once

// Starts the project's tail viewer on a log file and does not wait for it.
class TailLauncher {
 public:
  // Whether the command line "VIEWER -f LOG", quoting included, fits the buffer Launch builds it in.
  static bool CommandLineFits(const char* viewerPath, const char* logPath);

  // Starts "VIEWER -f LOG". Always returns 0: a viewer that fails to start is not reported, and a
  // command line that does not fit is not started.
  int Launch(const char* viewerPath, const char* logPath);
};

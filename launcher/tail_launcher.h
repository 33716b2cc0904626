#pragma once

// Starts the project's tail viewer on a log file and does not wait for it.
class TailLauncher {
 public:
  // Starts "VIEWER -f LOG". Always returns 0: a viewer that fails to start is not reported, and a
  // command line too long to hold is refused with a message and the failure pause.
  int Launch(const char* viewerPath, const char* logPath);
};

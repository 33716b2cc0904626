// cmdtail [-n N] -f FILE: shows the last N lines of FILE (10 by default), then everything appended to
// it until stopped.
#include <cstdio>

#include "arguments.h"
#include "follower.h"
#include "output_sink.h"
#include "viewer_platform.h"

int main(int argc, char* argv[]) {
  const Arguments arguments = ParseArguments(argc, argv);
  if (!arguments.error.empty()) {
    std::fprintf(stderr, "cmdtail: %s (usage: cmdtail [-n N] -f FILE)\n", arguments.error.c_str());
    return 2;
  }
  if (!viewer_platform::PrepareProcess()) {
    std::fprintf(stderr, "cmdtail: cannot prepare the process: %s\n",
                 viewer_platform::LastErrorText().c_str());
    return 1;
  }
  StandardOutput out;
  Follower follower(arguments.file, viewer_platform::ToNativePath(arguments.file), out);
  return follower.Run({.lineCount = arguments.lineCount, .follow = true, .rollover = arguments.rollover});
}

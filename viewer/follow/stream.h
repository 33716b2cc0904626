#pragma once

#include <string>

#include "follow/show_options.h"
#include "follow/step.h"
#include "output/file_output.h"
#include "platform/files.h"

// Shows a stream (standard input, a pipe, a FIFO, a terminal) as its bytes arrive: its last lines, or
// everything from line K on (-n +K), and, when following, everything after them until it ends. A stream
// cannot be read again, so only its last lines are kept until they are shown. Returns kEnded once it
// has been shown to its end. `encoding` and `name` are as a Follower takes them.
Step ShowStream(viewer_platform::FileHandle stream, const ShowOptions& options, const char* encoding,
                FileOutput& out, const std::string& name);

#pragma once

#include <string>

#include "follow/show_options.h"
#include "follow/step.h"
#include "output/text_output.h"
#include "platform/files.h"

// Shows a stream (standard input, a pipe, a FIFO, a terminal) as its bytes arrive: its last lines, or
// everything from line K on (-n +K), and, when following, everything after them until it ends. A stream
// cannot be read again, so only its last lines are kept until they are shown. Returns kEnded once it
// has been shown to its end, and what its output holds back at the end comes out before it returns.
// `file` and `name` are the followed file's, as its output takes them.
Step ShowStream(platform::FileHandle stream, const ShowOptions& options, const OutputRun& run,
                const void* file, const std::string& name);

#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>

#include "follow/step.h"
#include "platform/files.h"
#include "platform/output_sink.h"
#include "text/line_ends.h"

// A file read at offsets on its way to the output: how far it has been shown, and how its lines end.
struct ShownFile {
  platform::FileHandle file = platform::kNoFile;
  std::uint64_t offset = 0;
  LineEnds lineEnds;
};

// Opens `path` to be shown; kNoFile when it cannot be, said on standard error under `name` unless a
// stop ended the wait for it. A named file read at offsets is identified too (`id`): its name can come
// to stand for another file.
platform::FileHandle OpenToShow(const std::string& path, const std::string& name, platform::FileId& id);

// Shows the rest of `shown` from its offset, up to the offset `until` at most, a block at a time through
// `block`, moving the offset on; with wholeLinesOnly, only up to its last line end. A read failure is said
// under `name`.
Step ShowToEnd(ShownFile& shown, bool wholeLinesOnly, std::span<char> block, platform::OutputSink& out,
               const std::string& name, std::uint64_t until = std::numeric_limits<std::uint64_t>::max());

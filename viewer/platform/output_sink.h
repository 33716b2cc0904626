#pragma once

#include <span>
#include <string_view>

#include "platform/output.h"

namespace platform {

// Where the follower's bytes go: standard output, or a stage that transforms them on their way there.
// A stage passes the marks and the last bytes below on to the next sink once it has shown what they ask
// of it.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual platform::WriteResult Write(std::span<const char> bytes) = 0;
  // Marks the end of one file's bytes: a stage shows whatever it still holds back, so that nothing of
  // one file is joined to the next one's.
  virtual platform::WriteResult EndOfFile() { return platform::WriteResult::kWritten; }
  // Marks that all there is has been read and a wait for more begins: a stage shows what it holds back
  // only because more was at hand (the start of a line), so that nothing waits unseen for the writer.
  virtual platform::WriteResult Idle() { return platform::WriteResult::kWritten; }
  // Writes a last few bytes as the output ends (the reset of a colour left open), even after a stop; a
  // stage passes them on unchanged. A sink that writes at once writes them as any others.
  virtual void WriteAtEnd(std::string_view bytes) { Write(bytes); }
};

// The bytes exactly as they are, to standard output.
class StandardOutput final : public OutputSink {
 public:
  platform::WriteResult Write(std::span<const char> bytes) override { return platform::WriteOut(bytes); }
  void WriteAtEnd(std::string_view bytes) override { platform::WriteOutAtEnd(bytes); }
};

}  // namespace platform

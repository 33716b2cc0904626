#pragma once

#include <span>
#include <string>
#include <string_view>

#include "output/output_block.h"
#include "platform/output.h"
#include "platform/output_sink.h"

// Shows the log's control characters as visible text on a terminal, so that its bytes never drive the
// terminal: the C0 controls and DEL in caret notation (ESC as ^[, a lone CR as ^M, DEL as ^?), and, in
// UTF-8 text, the C1 controls U+0080 to U+009F as <U+009B>. Tab, line feed and the CR of a CR LF pass
// as they are, and so does every other byte.
class VisibleStage final : public platform::OutputSink {
 public:
  // `utf8`: whether the text is UTF-8, where the C1 controls have a form of their own; decoded text and
  // raw bytes may differ there.
  VisibleStage(bool utf8, platform::OutputSink& next);

  platform::WriteResult Write(std::span<const char> bytes) override;
  // A CR still held goes out as a lone one, a C1 control's first byte as an invalid byte (U+FFFD), which
  // nothing that follows can join; after a stop too, as the file's last bytes.
  platform::WriteResult EndOfFile() override;
  platform::WriteResult Idle() override { return out_.Idle(); }
  void WriteAtEnd(std::string_view bytes) override { out_.WriteAtEnd(bytes); }

 private:
  bool utf8_;
  // A CR, or a C1 control's first byte (C2), ending the last write: its form depends on the next byte.
  char held_ = 0;
  OutputBlock out_;
};

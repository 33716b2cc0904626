#pragma once

#include <memory>
#include <string>

#include "platform/output.h"
#include "platform/output_sink.h"

// Standard output as all files' outputs share it: raw bytes, decoded text (on a Windows console its
// wide-character output), and the header line that names a file.
class SharedOutput {
 public:
  // With `visibleNames`, the headers show the names' control characters visibly, as the text is.
  SharedOutput(bool headers, bool visibleNames);

  platform::OutputSink& Target(bool decoded) {
    if (decoded && console_ != nullptr) {
      return *console_;
    }
    return standard_;
  }
  // Decoded text goes to a Windows console's wide-character output, not as bytes.
  [[nodiscard]] bool HasWideText() const { return console_ != nullptr; }
  // Writes "==> NAME <==" when `file` is not the one whose bytes went out last, or went out under
  // another name (with a blank line before it, but for the first), where headers are shown. NAME is in
  // the program's own set, which is UTF-8 on Windows.
  platform::WriteResult SwitchTo(const void* file, const std::string& name);

 private:
  platform::StandardOutput standard_;
  std::unique_ptr<platform::OutputSink> console_;
  bool headers_;
  bool visibleNames_;
  const void* last_ = nullptr;
  std::string lastName_;
};

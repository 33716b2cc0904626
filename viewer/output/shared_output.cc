#include "output/shared_output.h"

#include <utility>

#include "platform/charset_converter.h"
#include "platform/output.h"
#include "platform/terminal.h"

namespace vp = viewer_platform;

SharedOutput::SharedOutput(bool headers) : console_(terminal::OpenConsoleText()), headers_(headers) {}

vp::WriteResult SharedOutput::SwitchTo(const void* file, const std::string& name) {
  const bool first = last_ == nullptr;
  if (!headers_ || std::exchange(last_, file) == file) {
    return vp::WriteResult::kWritten;
  }
  const std::string header = (first ? "==> " : "\n==> ") + name + " <==\n";
  // Every character of the name shows on a console; elsewhere the header is in the system's set.
  return console_ != nullptr ? console_->Write(header) : standard_.Write(InSystemCharset(header));
}

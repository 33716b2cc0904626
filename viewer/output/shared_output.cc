#include "output/shared_output.h"

#include <utility>

#include "platform/output.h"
#include "platform/terminal.h"

namespace vp = viewer_platform;

SharedOutput::SharedOutput(bool headers) : console_(terminal::OpenConsoleText()), headers_(headers) {}

vp::WriteResult SharedOutput::SwitchTo(const void* file, const std::string& name) {
  const bool first = last_ == nullptr;
  // A file renamed by the day's rollover is named anew.
  if (!headers_ || (std::exchange(last_, file) == file && lastName_ == name)) {
    return vp::WriteResult::kWritten;
  }
  lastName_ = name;
  const std::string header = (first ? "==> " : "\n==> ") + name + " <==\n";
  return standard_.Write(header);
}

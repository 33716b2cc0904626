#include "output/shared_output.h"

#include <utility>

#include "platform/output.h"
#include "platform/terminal.h"
#include "text/visible_text.h"

namespace vp = viewer_platform;

SharedOutput::SharedOutput(bool headers, bool visibleNames)
    : console_(terminal::OpenConsoleText()), headers_(headers), visibleNames_(visibleNames) {}

vp::WriteResult SharedOutput::SwitchTo(const void* file, const std::string& name) {
  const bool first = last_ == nullptr;
  // A file renamed by the day's rollover is named anew.
  if (!headers_ || (std::exchange(last_, file) == file && lastName_ == name)) {
    return vp::WriteResult::kWritten;
  }
  lastName_ = name;
  const std::string shown = visibleNames_ ? VisibleText(name, terminal::ReadsUtf8(false)) : name;
  const std::string header = (first ? "==> " : "\n==> ") + shown + " <==\n";
  return standard_.Write(header);
}

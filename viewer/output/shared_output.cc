#include "output/shared_output.h"

#include <utility>

#include "platform/charset_converter.h"
#include "platform/output.h"
#include "platform/terminal.h"
#include "text/visible_text.h"

SharedOutput::SharedOutput(bool headers, bool visibleNames)
    : console_(platform::OpenConsoleText()), headers_(headers), visibleNames_(visibleNames) {}

platform::WriteResult SharedOutput::SwitchTo(const void* file, const std::string& name) {
  const bool first = last_ == nullptr;
  // A file renamed by the day's rollover is named anew.
  if (!headers_ || (std::exchange(last_, file) == file && lastName_ == name)) {
    return platform::WriteResult::kWritten;
  }
  lastName_ = name;
  // Names are in the program's own set, as decoded text is: UTF-8 on Windows, the locale's on POSIX.
  const std::string shown = visibleNames_ ? VisibleText(name, platform::ReadsUtf8(true)) : name;
  const std::string header = (first ? "==> " : "\n==> ") + shown + " <==\n";
  // Every character of the name shows on a console; elsewhere the header is in the system's set.
  return console_ != nullptr ? console_->Write(header) : standard_.Write(platform::InSystemCharset(header));
}

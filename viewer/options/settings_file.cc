#include "options/settings_file.h"

#include <memory>

#include "platform/charset_converter.h"
#include "text/converted_text.h"

namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Marks[] = {"\xFF\xFE", "\xFE\xFF"};

std::string_view Trimmed(std::string_view line) {
  const std::size_t first = line.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return line.substr(first, line.find_last_not_of(kBlanks) + 1 - first);
}

// Whole and valid UTF-8, as the system's converter reads it: an invalid character comes back as the
// replacement. Taken as valid where the system has no converter for it (null).
bool IsUtf8(platform::CharsetConverter* converter, std::string_view option) {
  return converter == nullptr || ConvertedText(*converter, option) == option;
}

// Why an option's line cannot be read; empty when it can.
std::string_view FaultOf(platform::CharsetConverter* utf8, std::string_view option) {
  if (option.find('\0') != std::string_view::npos) {
    return "a NUL byte in the line";
  }
  if (!IsUtf8(utf8, option)) {
    return "not UTF-8 text; save the file as UTF-8";
  }
  return {};
}

}  // namespace

bool ReadSettingsText(std::string_view text, std::vector<SettingsLine>& lines, SettingsLine& refused) {
  for (const std::string_view mark : kUtf16Marks) {
    if (text.starts_with(mark)) {
      refused = {1, "UTF-16 text; save the file as UTF-8"};
      return false;
    }
  }
  if (text.starts_with(kUtf8Mark)) {
    text.remove_prefix(kUtf8Mark.size());
  }
  const std::unique_ptr<platform::CharsetConverter> utf8 = platform::OpenConverter("UTF-8", "UTF-8");
  for (std::size_t number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.size() > kLongestSettingsLine) {
      refused = {number, "line longer than 4 KiB"};
      return false;
    }
    const std::string_view option = Trimmed(line);
    if (option.empty() || option.front() == '#') {
      continue;
    }
    if (const std::string_view fault = FaultOf(utf8.get(), option); !fault.empty()) {
      refused = {number, std::string(fault)};
      return false;
    }
    lines.push_back({number, std::string(option)});
  }
  return true;
}

#include "options/settings_file.h"

namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string_view Trimmed(std::string_view line) {
  const std::size_t first = line.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return line.substr(first, line.find_last_not_of(kBlanks) + 1 - first);
}

}  // namespace

bool ReadSettingsText(std::string_view text, std::vector<SettingsLine>& lines, SettingsLine& refused) {
  if (text.starts_with(kUtf8Mark)) {
    text.remove_prefix(kUtf8Mark.size());
  }
  for (std::size_t number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.size() > kLongestSettingsLine) {
      refused = {number, "line longer than 4 KiB"};
      return false;
    }
    const std::string_view option = Trimmed(line);
    if (!option.empty() && option.front() != '#') {
      lines.push_back({number, std::string(option)});
    }
  }
  return true;
}

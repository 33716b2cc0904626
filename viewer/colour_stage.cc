#include "colour_stage.h"

#include <algorithm>
#include <utility>

namespace vp = viewer_platform;

namespace {

constexpr std::size_t kOutputBlockSize = std::size_t{16} * 1024;
constexpr std::string_view kRed = "\x1b[31m";
constexpr std::string_view kYellow = "\x1b[33m";
constexpr std::string_view kReset = "\x1b[0m";

bool IsWordCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The colour for a line's text: red for ERROR or FATAL, yellow for WARN or WARNING, else none (empty).
std::string_view ColourOf(std::string_view text) {
  std::string_view colour;
  for (std::size_t at = 0; at < text.size();) {
    if (!IsWordCharacter(text[at])) {
      ++at;
      continue;
    }
    const std::size_t end =
        std::find_if_not(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), IsWordCharacter) -
        text.begin();
    const std::string_view word = text.substr(at, end - at);
    if (word == "ERROR" || word == "FATAL") {
      return kRed;
    }
    if (word == "WARN" || word == "WARNING") {
      colour = kYellow;
    }
    at = end;
  }
  return colour;
}

}  // namespace

ColourStage::ColourStage(OutputSink& next) : out_(next, kOutputBlockSize) {}

vp::WriteResult ColourStage::Write(std::span<const char> bytes) {
  std::string_view rest(bytes.data(), bytes.size());
  vp::WriteResult result = vp::WriteResult::kWritten;
  while (!rest.empty() && result == vp::WriteResult::kWritten) {
    const std::size_t newline = rest.find('\n');
    const std::size_t length = newline == std::string_view::npos ? rest.size() : newline + 1;
    result = PutLine(rest.substr(0, length));
    rest.remove_prefix(length);
  }
  return result == vp::WriteResult::kWritten ? out_.Flush() : result;
}

vp::WriteResult ColourStage::PutLine(std::string_view line) {
  const bool seenFromStart = !std::exchange(lineUnderWay_, line.back() != '\n');
  if (lineUnderWay_ || !seenFromStart) {
    return out_.Put(line);
  }
  // The colour ends before the line ending, CR LF or LF.
  std::string_view text = line.substr(0, line.size() - 1);
  if (text.ends_with('\r')) {
    text.remove_suffix(1);
  }
  const std::string_view colour = ColourOf(text);
  if (colour.empty()) {
    return out_.Put(line);
  }
  for (const std::string_view piece : {colour, text, kReset, line.substr(text.size())}) {
    const vp::WriteResult result = out_.Put(piece);
    if (result != vp::WriteResult::kWritten) {
      return result;
    }
  }
  return vp::WriteResult::kWritten;
}

#include "text/visible_text.h"

#include <cstdio>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::string VisibleText(std::string_view text) {
  std::string shown;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const auto next = at + 1 < text.size() ? static_cast<unsigned char>(text[at + 1]) : 0U;
    if (byte < 0x20 || byte == 0x7F) {
      shown += {'^', byte == 0x7F ? '?' : static_cast<char>(byte + 0x40)};
    } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      char name[sizeof "<U+0080>"];
      std::snprintf(name, sizeof name, "<U+%04X>", next);
      shown += name;
      ++at;
    } else if (text.substr(at).starts_with(kByteOrderMark)) {
      shown += "<U+FEFF>";
      at += kByteOrderMark.size() - 1;
    } else {
      shown += text[at];
    }
  }
  return shown;
}

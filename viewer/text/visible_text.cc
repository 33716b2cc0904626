#include "text/visible_text.h"

#include <cstdio>

namespace {

constexpr char kUtf8C1Lead = '\xC2';
// U+FFFD in UTF-8, for a C1 control's first byte that no second byte follows.
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsC1Second(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x80 && byte <= 0x9F;
}

}  // namespace

bool NeedsCare(char c, bool utf8) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F || (utf8 && c == kUtf8C1Lead);
}

VisibleForm FormOf(std::string_view text, std::size_t at, bool whole, FormRoom& room) {
  const char c = text[at];
  const bool last = at + 1 == text.size();
  if (last && (c == '\r' || c == kUtf8C1Lead) && !whole) {
    return {};
  }
  if (c == '\r' && !last && text[at + 1] == '\n') {
    return {2, text.substr(at, 2)};
  }
  if (c == kUtf8C1Lead) {
    if (last) {
      return {1, kReplacement};
    }
    if (!IsC1Second(text[at + 1])) {
      return {1, text.substr(at, 1)};
    }
    std::snprintf(room.data(), room.size(), "<U+%04X>", static_cast<unsigned char>(text[at + 1]));
    return {2, std::string_view(room.data(), room.size() - 1)};
  }
  // ^@ to ^_ for the C0 controls, ^? for DEL.
  room[0] = '^';
  room[1] = c == '\x7F' ? '?' : static_cast<char>(c + 0x40);
  return {1, std::string_view(room.data(), 2)};
}

std::string VisibleText(std::string_view text, bool utf8, bool marks) {
  std::string shown;
  FormRoom room{};
  std::size_t plain = 0;
  for (std::size_t at = 0; at < text.size();) {
    const bool mark = marks && text.substr(at).starts_with(kByteOrderMark);
    const bool blank = marks && (text[at] == '\t' || text[at] == '\n');
    if (!mark && !blank && !NeedsCare(text[at], utf8)) {
      ++at;
      continue;
    }
    shown.append(text.substr(plain, at - plain));
    if (mark) {
      shown.append("<U+FEFF>");
      at += kByteOrderMark.size();
    } else if (blank) {
      shown.append({'^', static_cast<char>(text[at] + 0x40)});
      ++at;
    } else {
      const VisibleForm visible = FormOf(text, at, true, room);
      shown.append(visible.form);
      at += visible.used;
    }
    plain = at;
  }
  return shown.append(text.substr(plain));
}

#include "output/visible_stage.h"

#include <array>
#include <cstdio>
#include <utility>

#include "platform/output.h"
#include "platform/stop.h"

namespace vp = viewer_platform;

namespace {

constexpr std::size_t kOutputBlockSize = std::size_t{16} * 1024;
constexpr char kUtf8C1Lead = '\xC2';
// U+FFFD in UTF-8, for a C1 control's first byte that no second byte follows.
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool NeedsCare(char c, bool utf8) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F || (utf8 && c == kUtf8C1Lead);
}

bool IsC1Second(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x80 && byte <= 0x9F;
}

// Room for the longest visible form, "<U+0080>".
using FormRoom = std::array<char, sizeof "<U+0080>">;

struct VisibleForm {
  // The bytes of the text it stands for; 0 when that depends on a byte that has not come yet.
  std::size_t used = 0;
  std::string_view form;
};

// The visible form of the character at `at`, a byte that needs care. A CR or a C1 control's first byte
// last in the text waits for the next byte, unless the text is `whole`: then the CR is a lone one, and
// the first byte is shown as an invalid byte.
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

}  // namespace

VisibleStage::VisibleStage(OutputSink& next) : out_(next, kOutputBlockSize) {}

vp::WriteResult VisibleStage::Write(std::span<const char> bytes) {
  std::string_view text(bytes.data(), bytes.size());
  FormRoom room{};
  vp::WriteResult result = vp::WriteResult::kWritten;
  if (held_ != 0 && !text.empty()) {
    // The held byte is read together with the first byte written now.
    const std::array<char, 2> joined{std::exchange(held_, 0), text.front()};
    const VisibleForm visible = FormOf(std::string_view(joined.data(), joined.size()), 0, false, room);
    result = out_.Put(visible.form);
    if (result != vp::WriteResult::kWritten) {
      return result;
    }
    text.remove_prefix(visible.used - 1);
  }
  std::size_t plain = 0;
  for (std::size_t at = 0; at < text.size() && result == vp::WriteResult::kWritten;) {
    if (!NeedsCare(text[at], utf8_)) {
      ++at;
      continue;
    }
    result = out_.Put(text.substr(plain, at - plain));
    if (result != vp::WriteResult::kWritten) {
      break;
    }
    const VisibleForm visible = FormOf(text, at, false, room);
    if (visible.used == 0) {
      held_ = text[at];
      plain = text.size();
      break;
    }
    result = out_.Put(visible.form);
    at += visible.used;
    plain = at;
  }
  if (result == vp::WriteResult::kWritten && plain < text.size()) {
    result = out_.Put(text.substr(plain));
  }
  return result == vp::WriteResult::kWritten ? out_.Flush() : result;
}

vp::WriteResult VisibleStage::EndOfFile() {
  if (held_ != 0) {
    const char held = std::exchange(held_, 0);
    FormRoom room{};
    const std::string_view form = FormOf(std::string_view(&held, 1), 0, true, room).form;
    if (vp::StopRequested()) {
      // A stop refuses the ordinary writes: the byte goes out as the last the file shows.
      out_.WriteAtEnd(form);
    } else if (const vp::WriteResult result = out_.Put(form); result != vp::WriteResult::kWritten) {
      return result;
    }
  }
  return out_.EndOfFile();
}

std::string VisibleText(std::string_view text, bool utf8) {
  std::string shown;
  FormRoom room{};
  std::size_t plain = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (!NeedsCare(text[at], utf8)) {
      ++at;
      continue;
    }
    const VisibleForm visible = FormOf(text, at, true, room);
    shown.append(text.substr(plain, at - plain)).append(visible.form);
    at += visible.used;
    plain = at;
  }
  return shown.append(text.substr(plain));
}

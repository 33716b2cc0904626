#include "output/visible_stage.h"

#include <array>
#include <cstdio>
#include <utility>

#include "platform/output.h"

namespace vp = viewer_platform;

namespace {

constexpr std::size_t kOutputBlockSize = std::size_t{16} * 1024;
constexpr char kUtf8C1Lead = '\xC2';

bool NeedsCare(char c, bool utf8) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F || (utf8 && c == kUtf8C1Lead);
}

bool IsC1Second(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x80 && byte <= 0x9F;
}

// ^@ to ^_ for the C0 controls, ^? for DEL.
std::array<char, 2> Caret(char c) { return {'^', c == '\x7F' ? '?' : static_cast<char>(c + 0x40)}; }

}  // namespace

VisibleStage::VisibleStage(OutputSink& next) : out_(next, kOutputBlockSize) {}

vp::WriteResult VisibleStage::Write(std::span<const char> bytes) {
  std::string_view text(bytes.data(), bytes.size());
  if (held_ != 0 && !text.empty()) {
    // The held byte is read together with the first byte written now.
    const std::array<char, 2> joined{std::exchange(held_, 0), text.front()};
    vp::WriteResult result = vp::WriteResult::kWritten;
    const std::size_t used = PutControl(std::string_view(joined.data(), joined.size()), 0, result);
    if (result != vp::WriteResult::kWritten) {
      return result;
    }
    text.remove_prefix(used - 1);
  }
  vp::WriteResult result = vp::WriteResult::kWritten;
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
    const std::size_t used = PutControl(text, at, result);
    if (used == 0) {
      held_ = text[at];
      plain = text.size();
      break;
    }
    at += used;
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
    const std::array<char, 2> caret = Caret(held);
    const vp::WriteResult result =
        out_.Put(held == '\r' ? std::string_view(caret.data(), caret.size()) : std::string_view(&held, 1));
    if (result != vp::WriteResult::kWritten) {
      return result;
    }
  }
  return out_.EndOfFile();
}

std::size_t VisibleStage::PutControl(std::string_view text, std::size_t at, vp::WriteResult& result) {
  const char c = text[at];
  if (at + 1 == text.size() && (c == '\r' || c == kUtf8C1Lead)) {
    return 0;
  }
  if (c == '\r' && text[at + 1] == '\n') {
    result = out_.Put("\r\n");
    return 2;
  }
  if (c == kUtf8C1Lead) {
    if (!IsC1Second(text[at + 1])) {
      result = out_.Put(text.substr(at, 1));
      return 1;
    }
    char name[sizeof "<U+0080>"];
    std::snprintf(name, sizeof name, "<U+%04X>", static_cast<unsigned char>(text[at + 1]));
    result = out_.Put(name);
    return 2;
  }
  const std::array<char, 2> caret = Caret(c);
  result = out_.Put(std::string_view(caret.data(), caret.size()));
  return 1;
}

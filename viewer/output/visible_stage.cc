#include "output/visible_stage.h"

#include <array>
#include <utility>

#include "platform/output.h"
#include "platform/stop.h"
#include "text/visible_text.h"

namespace vp = viewer_platform;

namespace {}  // namespace

VisibleStage::VisibleStage(bool utf8, OutputSink& next) : utf8_(utf8), out_(next) {}

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

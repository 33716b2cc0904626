#include "output/visible_stage.h"

#include <array>
#include <utility>

#include "platform/output.h"
#include "platform/stop.h"
#include "text/visible_text.h"

namespace {}  // namespace

VisibleStage::VisibleStage(bool utf8, platform::OutputSink& next) : utf8_(utf8), out_(next) {}

platform::WriteResult VisibleStage::Write(std::span<const char> bytes) {
  std::string_view text(bytes.data(), bytes.size());
  FormRoom room{};
  platform::WriteResult result = platform::WriteResult::kWritten;
  if (held_ != 0 && !text.empty()) {
    // The held byte is read together with the first byte written now.
    const std::array<char, 2> joined{std::exchange(held_, 0), text.front()};
    const VisibleForm visible = FormOf(std::string_view(joined.data(), joined.size()), 0, false, room);
    result = out_.Put(visible.form);
    if (result != platform::WriteResult::kWritten) {
      return result;
    }
    text.remove_prefix(visible.used - 1);
  }
  std::size_t plain = 0;
  for (std::size_t at = 0; at < text.size() && result == platform::WriteResult::kWritten;) {
    if (!NeedsCare(text[at], utf8_)) {
      ++at;
      continue;
    }
    result = out_.Put(text.substr(plain, at - plain));
    if (result != platform::WriteResult::kWritten) {
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
  if (result == platform::WriteResult::kWritten && plain < text.size()) {
    result = out_.Put(text.substr(plain));
  }
  return result == platform::WriteResult::kWritten ? out_.Flush() : result;
}

platform::WriteResult VisibleStage::EndOfFile() {
  if (held_ != 0) {
    const char held = std::exchange(held_, 0);
    FormRoom room{};
    const std::string_view form = FormOf(std::string_view(&held, 1), 0, true, room).form;
    if (platform::StopRequested()) {
      // A stop refuses the ordinary writes: the byte goes out as the last the file shows.
      out_.WriteAtEnd(form);
    } else if (const platform::WriteResult result = out_.Put(form);
               result != platform::WriteResult::kWritten) {
      return result;
    }
  }
  return out_.EndOfFile();
}

#include "output/held_line.h"

#include "platform/output.h"

platform::WriteResult HeldLine::Take(std::string_view bytes) {
  platform::WriteResult result = platform::WriteResult::kWritten;
  if (!bytes.empty() && (lineUnderWay_ || !held_.empty())) {
    const std::size_t newline = bytes.find('\n');
    if (newline == std::string_view::npos) {
      return Hold(bytes);
    }
    std::string_view end = bytes.substr(0, newline + 1);
    bytes.remove_prefix(newline + 1);
    if (!lineUnderWay_ && held_.size() + newline > limit_) {
      // Its end makes the held line too long, wherever the reads cut it.
      result = Hold(end.substr(0, newline));
      end.remove_prefix(newline);
    }
    if (result != platform::WriteResult::kWritten) {
      return result;
    }
    if (lineUnderWay_) {
      lineUnderWay_ = false;
      result = receiver_.PutAsItIs(end);
    } else {
      held_.append(end);
      result = receiver_.PutLines(held_);
      held_.clear();
    }
  }
  const std::size_t whole = bytes.rfind('\n') + 1;
  if (result == platform::WriteResult::kWritten && whole > 0) {
    result = receiver_.PutLines(bytes.substr(0, whole));
  }
  if (result == platform::WriteResult::kWritten && whole < bytes.size()) {
    result = Hold(bytes.substr(whole));
  }
  return result;
}

platform::WriteResult HeldLine::LetGo() {
  if (held_.empty()) {
    return platform::WriteResult::kWritten;
  }
  lineUnderWay_ = true;
  const platform::WriteResult result = receiver_.PutAsItIs(held_);
  held_.clear();
  return result;
}

platform::WriteResult HeldLine::End() {
  const platform::WriteResult result =
      held_.empty() ? platform::WriteResult::kWritten : receiver_.PutLines(held_);
  held_.clear();
  lineUnderWay_ = false;
  return result;
}

platform::WriteResult HeldLine::Hold(std::string_view start) {
  if (lineUnderWay_) {
    return receiver_.PutAsItIs(start);
  }
  if (held_.size() + start.size() <= limit_) {
    held_.append(start);
    return platform::WriteResult::kWritten;
  }
  const std::size_t filling = limit_ - held_.size();
  held_.append(start.substr(0, filling));
  receiver_.TooLong(held_);
  lineUnderWay_ = true;
  const platform::WriteResult result = receiver_.PutAsItIs(held_);
  held_.clear();
  return result == platform::WriteResult::kWritten && filling < start.size()
             ? receiver_.PutAsItIs(start.substr(filling))
             : result;
}

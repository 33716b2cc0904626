#include "follow/kept_lines.h"

#include <algorithm>

#include "follow/last_lines.h"

namespace {

constexpr std::size_t kSlack = std::size_t{64} * 1024;

}  // namespace

void KeptLines::Add(std::span<const char> bytes) {
  text_.append(bytes.data(), bytes.size());
  // Dropping only once the text has doubled keeps the cost of the searches in proportion to the input.
  if (text_.size() > 2 * keptSize_ + kSlack) {
    DropAllButTheLastLines();
  }
}

std::span<const char> KeptLines::Lines() {
  DropAllButTheLastLines();
  return text_;
}

void KeptLines::DropAllButTheLastLines() {
  const auto readAt = [this](std::uint64_t offset, std::span<char> into) -> std::ptrdiff_t {
    const std::size_t count = std::min(into.size(), text_.size() - static_cast<std::size_t>(offset));
    std::copy_n(text_.begin() + static_cast<std::ptrdiff_t>(offset), count, into.begin());
    return static_cast<std::ptrdiff_t>(count);
  };
  const auto start = shown_ ? FindLastShownLinesStart(readAt, text_.size(), count_, block_, ends_, shown_)
                            : FindLastLinesStart(readAt, text_.size(), count_, block_, ends_);
  text_.erase(0, static_cast<std::size_t>(start.value_or(0)));
  text_.shrink_to_fit();
  keptSize_ = text_.size();
}

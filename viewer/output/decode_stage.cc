#include "output/decode_stage.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/output.h"
#include "text/ascii.h"
#include "text/converted_text.h"

namespace {

bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

// Where the stretch given to the converter from `from` ends: two bytes into the first run of ASCII that
// holds eight bytes at a multiple of eight from `from` (the first of them may end a character begun
// before it, as in CP949), or at the end. A shorter run goes with the stretch: passing it by would cost
// more than it saves.
std::size_t StretchEnd(std::span<const char> bytes, std::size_t from) {
  constexpr std::size_t kWord = 8;
  for (std::size_t at = from; at + kWord <= bytes.size(); at += kWord) {
    if (AsciiRunLength(std::string_view(bytes.data() + at, kWord)) == kWord) {
      std::size_t runStart = at;
      while (runStart > from && IsAscii(bytes[runStart - 1])) {
        --runStart;
      }
      return runStart + 2;
    }
  }
  return bytes.size();
}

bool EndsInTwoAsciiBytes(std::span<const char> stretch) {
  return stretch.size() >= 2 && IsAscii(stretch.back()) && IsAscii(stretch[stretch.size() - 2]);
}

}  // namespace

DecodeStage::DecodeStage(std::unique_ptr<platform::CharsetConverter> converter, platform::OutputSink& next)
    : converter_(std::move(converter)), keepsAscii_(KeepsAscii(*converter_)), out_(next) {}

platform::WriteResult DecodeStage::Write(std::span<const char> bytes) {
  platform::WriteResult result = platform::WriteResult::kWritten;
  while (result == platform::WriteResult::kWritten && !bytes.empty()) {
    if (heldSize_ == 0) {
      const std::size_t used = Convert(bytes, result);
      bytes =
          result == platform::WriteResult::kWritten ? HoldRest(bytes.subspan(used), result) : bytes.first(0);
    } else {
      // The held character goes on with the first bytes written now.
      const std::size_t taken = std::min(bytes.size(), kHeldLimit - heldSize_);
      std::copy_n(bytes.begin(), taken, held_.begin() + static_cast<std::ptrdiff_t>(heldSize_));
      bytes = bytes.subspan(taken);
      const std::span<const char> joined(held_.data(), heldSize_ + taken);
      heldSize_ = 0;
      const std::size_t used = Convert(joined, result);
      if (result == platform::WriteResult::kWritten) {
        const std::span<const char> left = HoldRest(joined.subspan(used), result);
        if (!left.empty() && result == platform::WriteResult::kWritten) {
          HoldRest(left, result);
        }
      }
    }
  }
  return result == platform::WriteResult::kWritten ? out_.Flush() : result;
}

platform::WriteResult DecodeStage::EndOfFile() {
  // What the converter holds back ends the text, and what comes next is a new text: a shift state of
  // this one must not carry over.
  std::array<char, kHeldLimit * 4> rest{};
  platform::WriteResult result = out_.Put({rest.data(), converter_->Finish(rest)});
  atRest_ = true;
  if (heldSize_ > 0 && result == platform::WriteResult::kWritten) {
    result = out_.Put(converter_->Replacement());
  }
  heldSize_ = 0;
  return result == platform::WriteResult::kWritten ? out_.EndOfFile() : result;
}

// A character cut short stays held: its rest is still to be written.
platform::WriteResult DecodeStage::Idle() { return out_.Idle(); }

std::size_t DecodeStage::Convert(std::span<const char> bytes, platform::WriteResult& result) {
  std::size_t used = 0;
  // The stretch given to the converter ends here.
  std::size_t end = 0;
  while (used < bytes.size() && result == platform::WriteResult::kWritten) {
    if (used >= end) {
      used += PassAscii(bytes.subspan(used), result);
      if (used == bytes.size() || result != platform::WriteResult::kWritten) {
        return used;
      }
      end = keepsAscii_ ? StretchEnd(bytes, used) : bytes.size();
    }
    const std::span<const char> stretch = bytes.subspan(used, end - used);
    const platform::CharsetConverter::Progress progress = converter_->Convert(stretch, out_.Free());
    used += progress.read;
    out_.Commit(progress.written);
    atRest_ = progress.stop == platform::CharsetConverter::Stop::kDone && EndsInTwoAsciiBytes(stretch);
    switch (progress.stop) {
      case platform::CharsetConverter::Stop::kDone:
        break;
      case platform::CharsetConverter::Stop::kIncomplete:
        if (end == bytes.size()) {
          return used;
        }
        // A character goes on past the stretch: the converter is given all the rest.
        end = bytes.size();
        break;
      case platform::CharsetConverter::Stop::kOutputFull:
        // A character too long for even an empty block cannot be written: it counts as invalid.
        if (!out_.empty()) {
          result = out_.Flush();
          break;
        }
        [[fallthrough]];
      case platform::CharsetConverter::Stop::kInvalid:
        result = out_.Put(converter_->Replacement());
        used += std::min(converter_->UnitSize(), bytes.size() - used);
        break;
    }
  }
  return used;
}

std::size_t DecodeStage::PassAscii(std::span<const char> bytes, platform::WriteResult& result) {
  if (!keepsAscii_ || !atRest_) {
    return 0;
  }
  const std::size_t run = AsciiRunLength(std::string_view(bytes.data(), bytes.size()));
  result = out_.Put(std::string_view(bytes.data(), run));
  return run;
}

std::span<const char> DecodeStage::HoldRest(std::span<const char> rest, platform::WriteResult& result) {
  if (rest.size() < kHeldLimit) {
    // The rest may lie within held_, never before its start, so a forward copy is safe.
    std::copy(rest.begin(), rest.end(), held_.begin());
    heldSize_ = rest.size();
    return rest.first(0);
  }
  result = out_.Put(converter_->Replacement());
  return rest.subspan(std::min(converter_->UnitSize(), rest.size()));
}

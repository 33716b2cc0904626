#include "output/decode_stage.h"

#include <algorithm>
#include <utility>

#include "platform/output.h"

namespace vp = viewer_platform;

namespace {

constexpr std::size_t kOutputBlockSize = std::size_t{16} * 1024;

}  // namespace

DecodeStage::DecodeStage(std::unique_ptr<CharsetConverter> converter, OutputSink& next)
    : converter_(std::move(converter)), out_(next, kOutputBlockSize) {}

vp::WriteResult DecodeStage::Write(std::span<const char> bytes) {
  vp::WriteResult result = vp::WriteResult::kWritten;
  while (result == vp::WriteResult::kWritten && !bytes.empty()) {
    if (heldSize_ == 0) {
      const std::size_t used = Convert(bytes, result);
      bytes = result == vp::WriteResult::kWritten ? HoldRest(bytes.subspan(used), result) : bytes.first(0);
    } else {
      // The held character goes on with the first bytes written now.
      const std::size_t taken = std::min(bytes.size(), kHeldLimit - heldSize_);
      std::copy_n(bytes.begin(), taken, held_.begin() + static_cast<std::ptrdiff_t>(heldSize_));
      bytes = bytes.subspan(taken);
      const std::span<const char> joined(held_.data(), heldSize_ + taken);
      heldSize_ = 0;
      const std::size_t used = Convert(joined, result);
      if (result == vp::WriteResult::kWritten) {
        const std::span<const char> left = HoldRest(joined.subspan(used), result);
        if (!left.empty() && result == vp::WriteResult::kWritten) {
          HoldRest(left, result);
        }
      }
    }
  }
  return result == vp::WriteResult::kWritten ? out_.Flush() : result;
}

vp::WriteResult DecodeStage::EndOfFile() {
  // What comes next is a new text: a shift state of this one must not carry over.
  converter_->Reset();
  if (heldSize_ > 0) {
    heldSize_ = 0;
    const vp::WriteResult result = out_.Put(converter_->Replacement());
    if (result != vp::WriteResult::kWritten) {
      return result;
    }
  }
  return out_.EndOfFile();
}

// A character cut short stays held: its rest is still to be written.
vp::WriteResult DecodeStage::Idle() { return out_.Idle(); }

std::size_t DecodeStage::Convert(std::span<const char> bytes, vp::WriteResult& result) {
  std::size_t used = 0;
  while (used < bytes.size() && result == vp::WriteResult::kWritten) {
    const CharsetConverter::Progress progress = converter_->Convert(bytes.subspan(used), out_.Free());
    used += progress.read;
    out_.Commit(progress.written);
    switch (progress.stop) {
      case CharsetConverter::Stop::kDone:
      case CharsetConverter::Stop::kIncomplete:
        return used;
      case CharsetConverter::Stop::kOutputFull:
        // A character too long for even an empty block cannot be written: it counts as invalid.
        if (!out_.empty()) {
          result = out_.Flush();
          break;
        }
        [[fallthrough]];
      case CharsetConverter::Stop::kInvalid:
        result = out_.Put(converter_->Replacement());
        used += std::min(converter_->UnitSize(), bytes.size() - used);
        break;
    }
  }
  return used;
}

std::span<const char> DecodeStage::HoldRest(std::span<const char> rest, vp::WriteResult& result) {
  if (rest.size() < kHeldLimit) {
    // The rest may lie within held_, never before its start, so a forward copy is safe.
    std::copy(rest.begin(), rest.end(), held_.begin());
    heldSize_ = rest.size();
    return rest.first(0);
  }
  result = out_.Put(converter_->Replacement());
  return rest.subspan(std::min(converter_->UnitSize(), rest.size()));
}

#include "output/output_block.h"

#include <algorithm>
#include <utility>

#include "platform/output.h"

namespace vp = viewer_platform;

vp::WriteResult OutputBlock::Put(std::string_view text) {
  if (text.size() > Free().size()) {
    const vp::WriteResult result = Flush();
    if (result != vp::WriteResult::kWritten) {
      return result;
    }
    if (text.size() > bytes_.size()) {
      return next_.Write(text);
    }
  }
  std::copy(text.begin(), text.end(), Free().begin());
  size_ += text.size();
  return vp::WriteResult::kWritten;
}

vp::WriteResult OutputBlock::Flush() {
  if (size_ == 0) {
    return vp::WriteResult::kWritten;
  }
  return next_.Write(std::span(bytes_).first(std::exchange(size_, 0)));
}

vp::WriteResult OutputBlock::EndOfFile() {
  const vp::WriteResult result = Flush();
  return result == vp::WriteResult::kWritten ? next_.EndOfFile() : result;
}

vp::WriteResult OutputBlock::Idle() {
  const vp::WriteResult result = Flush();
  return result == vp::WriteResult::kWritten ? next_.Idle() : result;
}

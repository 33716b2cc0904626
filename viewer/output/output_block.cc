#include "output/output_block.h"

#include <algorithm>
#include <utility>

#include "platform/output.h"

platform::WriteResult OutputBlock::Put(std::string_view text) {
  if (text.size() > Free().size()) {
    const platform::WriteResult result = Flush();
    if (result != platform::WriteResult::kWritten) {
      return result;
    }
    if (text.size() > bytes_.size()) {
      return next_.Write(text);
    }
  }
  std::copy(text.begin(), text.end(), Free().begin());
  size_ += text.size();
  return platform::WriteResult::kWritten;
}

platform::WriteResult OutputBlock::Flush() {
  if (size_ == 0) {
    return platform::WriteResult::kWritten;
  }
  return next_.Write(std::span(bytes_).first(std::exchange(size_, 0)));
}

platform::WriteResult OutputBlock::EndOfFile() {
  const platform::WriteResult result = Flush();
  return result == platform::WriteResult::kWritten ? next_.EndOfFile() : result;
}

platform::WriteResult OutputBlock::Idle() {
  const platform::WriteResult result = Flush();
  return result == platform::WriteResult::kWritten ? next_.Idle() : result;
}

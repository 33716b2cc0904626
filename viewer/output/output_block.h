#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "platform/output.h"
#include "platform/output_sink.h"

// A bounded block in which a stage gathers its output, so that small pieces go on to the next sink in
// one write.
class OutputBlock {
 public:
  // What a stage's block holds unless the stage needs more.
  static constexpr std::size_t kDefaultSize = std::size_t{16} * 1024;

  explicit OutputBlock(platform::OutputSink& next, std::size_t capacity = kDefaultSize)
      : next_(next), bytes_(capacity) {}

  [[nodiscard]] bool empty() const { return size_ == 0; }
  // The room left, to be filled directly and then committed.
  std::span<char> Free() { return std::span(bytes_).subspan(size_); }
  void Commit(std::size_t count) { size_ += count; }
  // Adds text, passing on what is gathered first when it does not fit. Text longer than the block goes
  // on whole, in a write of its own, so it is never split.
  platform::WriteResult Put(std::string_view text);
  platform::WriteResult Flush();
  // Flushes, then passes the mark on to the next sink.
  platform::WriteResult EndOfFile();
  platform::WriteResult Idle();
  // Passes the bytes straight on to the next sink.
  void WriteAtEnd(std::string_view bytes) { next_.WriteAtEnd(bytes); }

 private:
  platform::OutputSink& next_;
  std::vector<char> bytes_;
  std::size_t size_ = 0;
};

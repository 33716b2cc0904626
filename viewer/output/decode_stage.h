#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "output/output_block.h"
#include "platform/charset_converter.h"
#include "platform/output.h"
#include "platform/output_sink.h"

// Converts the bytes on their way to the next sink from the log's character set into the output's.
// A character split between two writes is held until its rest arrives; an invalid byte is written as
// the replacement character and conversion goes on after it. It holds at most one partial character
// and one output block. Where the converter keeps ASCII as it is (KeepsAscii), runs of ASCII between
// whole characters pass it by, and only the stretches between them are converted: most of a log is ASCII.
class DecodeStage final : public platform::OutputSink {
 public:
  DecodeStage(std::unique_ptr<platform::CharsetConverter> converter, platform::OutputSink& next);

  platform::WriteResult Write(std::span<const char> bytes) override;
  // Writes a character left incomplete at the end of a file as invalid, and returns the converter to
  // its initial state.
  platform::WriteResult EndOfFile() override;
  platform::WriteResult Idle() override;
  void WriteAtEnd(std::string_view bytes) override { out_.WriteAtEnd(bytes); }

 private:
  // Converts what it can, into the output block; returns the bytes used. What is left is an incomplete
  // character, unless the result is a failure to write.
  std::size_t Convert(std::span<const char> bytes, platform::WriteResult& result);
  // Passes the run of ASCII that `bytes` begins with, when the converter holds nothing back; returns its
  // length.
  std::size_t PassAscii(std::span<const char> bytes, platform::WriteResult& result);
  // Holds the rest, an incomplete character, for the next write, and returns nothing. A rest too long
  // to be one character starts with an invalid byte: that is replaced and what follows it returned.
  std::span<const char> HoldRest(std::span<const char> rest, platform::WriteResult& result);

  // Longer than any character of any set, so a held character always fits.
  static constexpr std::size_t kHeldLimit = 16;

  std::unique_ptr<platform::CharsetConverter> converter_;
  const bool keepsAscii_;
  // The converter holds nothing back: the last it was given ended in two ASCII bytes, taken whole.
  bool atRest_ = true;
  std::array<char, kHeldLimit> held_{};
  std::size_t heldSize_ = 0;
  OutputBlock out_;
};

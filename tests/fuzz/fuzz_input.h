#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Reads a fuzzer's input as two strings without NUL: the bytes before the first NUL, and those between
// it and the next.
struct TwoStrings {
  std::string first;
  std::string second;
};

inline TwoStrings SplitAtNul(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t end = input.find('\0');
  if (end == std::string::npos) {
    return {input, {}};
  }
  const std::string rest = input.substr(end + 1);
  return {input.substr(0, end), rest.substr(0, rest.find('\0'))};
}

// Reads a fuzzer's input as fields ended by NUL bytes (the last one by the input's end).
inline std::vector<std::string> SplitAtNuls(std::span<const std::uint8_t> bytes) {
  std::vector<std::string> fields{std::string()};
  for (const std::uint8_t byte : bytes) {
    if (byte == 0) {
      fields.emplace_back();
    } else {
      fields.back() += static_cast<char>(byte);
    }
  }
  return fields;
}

// Writes `text` to `stage` in pieces of 1 to `longest` bytes, as reads may cut it, and ends the file.
template <typename Stage>
void WriteInPieces(Stage& stage, std::string_view text, std::size_t longest) {
  for (std::size_t at = 0, piece = 0; at < text.size(); at += piece) {
    piece = std::min(1 + (at * 7 + text.size()) % longest, text.size() - at);
    stage.Write(text.substr(at, piece));
  }
  stage.EndOfFile();
}

// Stops the fuzzer with a finding when a property does not hold.
#define FUZZ_CHECK(condition) \
  do {                        \
    if (!(condition)) {       \
      __builtin_trap();       \
    }                         \
  } while (false)

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

// Stops the fuzzer with a finding when a property does not hold.
#define FUZZ_CHECK(condition) \
  do {                        \
    if (!(condition)) {       \
      __builtin_trap();       \
    }                         \
  } while (false)

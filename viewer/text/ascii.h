#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// The length of the run of ASCII bytes (below 0x80) that `text` begins with, looked at eight bytes at a
// time.
inline std::size_t AsciiRunLength(std::string_view text) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080U;
  std::size_t at = 0;
  for (std::uint64_t word = 0; at + sizeof word <= text.size(); at += sizeof word) {
    std::memcpy(&word, text.data() + at, sizeof word);
    if (const std::uint64_t high = word & kHighBits; high != 0) {
      // The first byte in memory is the lowest of the word on a little-endian machine.
      const int bitsBefore =
          std::endian::native == std::endian::little ? std::countr_zero(high) : std::countl_zero(high);
      return at + static_cast<std::size_t>(bitsBefore) / 8;
    }
  }
  while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) {
    ++at;
  }
  return at;
}

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/charset_converter.h"

std::string CanonicalCharsetName(std::string_view name) {
  std::string canonical;
  for (const char c : name) {
    if (c != '-' && c != '_') {
      canonical += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return canonical;
}

std::size_t CodeUnitSize(std::string_view name) {
  const std::string canonical = CanonicalCharsetName(name);
  return canonical == "UTF16LE" || canonical == "UCS2LE" || canonical == "UTF16BE" || canonical == "UCS2BE" ||
                 canonical == "UTF16"
             ? 2
             : 1;
}

std::string ConvertedText(CharsetConverter& converter, std::string_view text) {
  std::string converted;
  std::array<char, 4096> block{};
  converter.Reset();
  while (!text.empty()) {
    const CharsetConverter::Progress progress = converter.Convert(text, block);
    converted.append(block.data(), progress.written);
    text.remove_prefix(progress.read);
    if (progress.stop == CharsetConverter::Stop::kInvalid ||
        progress.stop == CharsetConverter::Stop::kIncomplete) {
      converted += converter.Replacement();
      text.remove_prefix(std::min(converter.UnitSize(), text.size()));
    }
  }
  return converted;
}

std::optional<std::string> TextIn(std::string_view text, const char* from, const char* to) {
  if (CanonicalCharsetName(from) == CanonicalCharsetName(to)) {
    return std::string(text);
  }
  const std::unique_ptr<CharsetConverter> there = OpenConverter(from, to);
  const std::unique_ptr<CharsetConverter> back = OpenConverter(to, from);
  if (there == nullptr || back == nullptr) {
    return std::string(text);
  }
  // Only a text that comes back unchanged was converted exactly.
  std::string converted = ConvertedText(*there, text);
  if (ConvertedText(*back, converted) != text) {
    return std::nullopt;
  }
  return converted;
}

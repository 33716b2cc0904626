#include <algorithm>
#include <array>
#include <cctype>
#include <numeric>

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

bool KeepsAscii(CharsetConverter& converter) {
  std::array<char, 128> ascii{};
  std::iota(ascii.begin(), ascii.end(), char{0});
  std::array<char, 4 * ascii.size()> out{};
  const auto givesItself = [&](std::span<const char> text) {
    converter.Reset();
    const CharsetConverter::Progress progress = converter.Convert(text, out);
    return progress.stop == CharsetConverter::Stop::kDone && progress.read == text.size() &&
           progress.written == text.size() && std::equal(text.begin(), text.end(), out.begin());
  };
  bool keeps = converter.UnitSize() == 1 && givesItself(ascii);
  for (std::size_t at = 0; keeps && at < ascii.size(); ++at) {
    keeps = givesItself(std::span(ascii).subspan(at, 1));
  }
  converter.Reset();
  return keeps;
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

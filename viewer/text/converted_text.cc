#include "text/converted_text.h"

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>

bool KeepsAscii(platform::CharsetConverter& converter) {
  std::array<char, 128> ascii{};
  std::iota(ascii.begin(), ascii.end(), char{0});
  std::array<char, 4 * ascii.size()> out{};
  const auto givesItself = [&](std::span<const char> text) {
    converter.Reset();
    const platform::CharsetConverter::Progress progress = converter.Convert(text, out);
    return progress.stop == platform::CharsetConverter::Stop::kDone && progress.read == text.size() &&
           progress.written == text.size() && std::equal(text.begin(), text.end(), out.begin());
  };
  bool keeps = converter.UnitSize() == 1 && givesItself(ascii);
  for (std::size_t at = 0; keeps && at < ascii.size(); ++at) {
    keeps = givesItself(std::span(ascii).subspan(at, 1));
  }
  converter.Reset();
  return keeps;
}

std::string ConvertedText(platform::CharsetConverter& converter, std::string_view text) {
  std::string converted;
  std::array<char, 4096> block{};
  converter.Reset();
  while (!text.empty()) {
    const platform::CharsetConverter::Progress progress = converter.Convert(text, block);
    converted.append(block.data(), progress.written);
    text.remove_prefix(progress.read);
    if (progress.stop == platform::CharsetConverter::Stop::kInvalid ||
        progress.stop == platform::CharsetConverter::Stop::kIncomplete) {
      converted += converter.Replacement();
      text.remove_prefix(std::min(converter.UnitSize(), text.size()));
    }
  }
  converted.append(block.data(), converter.Finish(block));
  return converted;
}

std::optional<std::string> TextIn(std::string_view text, const char* from, const char* to) {
  if (platform::CanonicalCharsetName(from) == platform::CanonicalCharsetName(to)) {
    return std::string(text);
  }
  const std::unique_ptr<platform::CharsetConverter> there = platform::OpenConverter(from, to);
  const std::unique_ptr<platform::CharsetConverter> back = platform::OpenConverter(to, from);
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

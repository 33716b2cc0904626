#include "output/shown_lines.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "text/converted_text.h"

namespace {

LineFilter FilterIn(const OutputSettings& settings, bool decoded) {
  return {settings.greps.For(decoded), settings.excludes.For(decoded)};
}

}  // namespace

ShownLines::ShownLines(const OutputSettings& settings, const TextEncoding& encoding,
                       const SharedOutput& shared)
    : ShownLines(settings, FormOf(encoding, shared), encoding.lineEnds) {}

ShownLines::ShownLines(const OutputSettings& settings, TextForm form, const LineEnds& lineEnds)
    : filter_(FilterIn(settings, form.decoded)), converter_(std::move(form.converter)), lineEnds_(lineEnds) {}

void ShownLines::Find(std::span<const char> text, std::vector<std::size_t>& starts) {
  const std::string_view raw(text.data(), text.size());
  if (converter_ == nullptr) {
    filter_.FindShownLines(raw, starts);
    return;
  }
  for (std::size_t start = 0; start < raw.size();) {
    const std::size_t end = lineEnds_.Next(text, start);
    if (filter_.Shows(ConvertedText(*converter_, raw.substr(start, end - start)))) {
      starts.push_back(start);
    }
    start = std::min(end + lineEnds_.width, raw.size());
  }
}

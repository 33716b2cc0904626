#include "text/byte_order_mark.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#include "platform/charset_converter.h"

namespace {

struct Mark {
  std::string_view bytes;
  const char* encoding;  // cppcheck-suppress unusedStructMember
};

constexpr std::array kMarks{Mark{"\xEF\xBB\xBF", "UTF-8"}, Mark{"\xFF\xFE", "UTF-16LE"},
                            Mark{"\xFE\xFF", "UTF-16BE"}};

bool StartsWith(std::span<const char> start, std::string_view bytes) {
  return start.size() >= bytes.size() && std::equal(bytes.begin(), bytes.end(), start.begin());
}

bool MayBecome(std::span<const char> start, std::string_view bytes) {
  return start.size() < bytes.size() && std::equal(start.begin(), start.end(), bytes.begin());
}

}  // namespace

// Learned from the system's converter: what it makes of a line feed.
LineEnds LineEndsOf(const char* encoding) {
  const std::unique_ptr<platform::CharsetConverter> converter =
      encoding != nullptr ? platform::OpenConverter(encoding, platform::OutputCharset().c_str()) : nullptr;
  return converter != nullptr ? LineEnds::Of(converter->LineFeed()) : LineEnds{};
}

std::optional<TextEncoding> EncodingOfText(const char* asked, std::span<const char> start, bool more) {
  const auto* const mark =
      std::find_if(kMarks.begin(), kMarks.end(), [&](const Mark& m) { return StartsWith(start, m.bytes); });
  if (mark == kMarks.end() && more &&
      std::any_of(kMarks.begin(), kMarks.end(), [&](const Mark& m) { return MayBecome(start, m.bytes); })) {
    return std::nullopt;
  }
  const std::string askedName = asked != nullptr ? platform::CanonicalCharsetName(asked) : "";
  const bool marked = mark != kMarks.end();
  const bool utf16Mark = marked && mark != kMarks.begin();
  // The mark names the encoding when none was asked for, or only its family, UTF-16, was.
  if (marked && (asked == nullptr || (askedName == "UTF16" && utf16Mark))) {
    return TextEncoding{mark->encoding, mark->bytes.size(), LineEndsOf(mark->encoding)};
  }
  const char* name = askedName == "UTF16" ? "UTF-16BE" : asked;
  const bool ownMark = marked && name != nullptr &&
                       platform::CanonicalCharsetName(mark->encoding) == platform::CanonicalCharsetName(name);
  return TextEncoding{name, ownMark ? mark->bytes.size() : 0, LineEndsOf(name)};
}

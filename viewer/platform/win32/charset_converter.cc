// Character set conversion with the system's code pages: MultiByteToWideChar into UTF-16, then
// WideCharToMultiByte into the output's set.
#include "platform/charset_converter.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/wide_text.h"

namespace platform {

namespace {

struct NamedCodePage {
  std::string_view name;
  UINT codePage;
};

// Names of code pages in canonical form; "CPnnn", "WINDOWS-nnn", "IBMnnn" and "ISO-8859-n" are read
// by number.
constexpr std::array kNamedCodePages{
    NamedCodePage{"UTF8", CP_UTF8}, NamedCodePage{"EUCKR", 949},     NamedCodePage{"UHC", 949},
    NamedCodePage{"SHIFTJIS", 932}, NamedCodePage{"SJIS", 932},      NamedCodePage{"GBK", 936},
    NamedCodePage{"GB2312", 936},   NamedCodePage{"BIG5", 950},      NamedCodePage{"KOI8R", 20866},
    NamedCodePage{"ASCII", 20127},  NamedCodePage{"USASCII", 20127}, NamedCodePage{"LATIN1", 28591},
};

// The number after the prefix, plus base; 0 when the name is not the prefix and a number.
UINT NumberAfter(std::string_view name, std::string_view prefix, UINT base) {
  if (name.size() <= prefix.size() || !name.starts_with(prefix)) {
    return 0;
  }
  const std::string_view digits = name.substr(prefix.size());
  UINT number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  return error == std::errc{} && end == digits.data() + digits.size() ? base + number : 0;
}

UINT CodePageNamed(std::string_view name) {
  const std::string canonical = CanonicalCharsetName(name);
  const auto* named = std::find_if(kNamedCodePages.begin(), kNamedCodePages.end(),
                                   [&](const NamedCodePage& entry) { return canonical == entry.name; });
  if (named != kNamedCodePages.end()) {
    return named->codePage;
  }
  for (const auto& [prefix, base] :
       {std::pair<std::string_view, UINT>{"CP", 0}, {"WINDOWS", 0}, {"IBM", 0}, {"ISO8859", 28590}}) {
    if (const UINT codePage = NumberAfter(canonical, prefix, base)) {
      return codePage;
    }
  }
  return 0;
}

// The longest character the code page has, in bytes, or 0 for a code page this converter cannot
// split into characters (those with sequences of more than two bytes, other than UTF-8).
UINT UsableMaxCharSize(UINT codePage) {
  CPINFO information{};
  if (codePage == 0 || IsValidCodePage(codePage) == FALSE || GetCPInfo(codePage, &information) == FALSE) {
    return 0;
  }
  return codePage == CP_UTF8 || information.MaxCharSize <= 2 ? information.MaxCharSize : 0;
}

// U+FFFD in the code page, or `?` where it has none.
std::string ReplacementIn(UINT codePage) {
  const wchar_t replacement = 0xFFFD;
  char text[8];
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(codePage, 0, &replacement, 1, text, sizeof text, nullptr,
                                         codePage == CP_UTF8 ? nullptr : &usedDefault);
  return length > 0 && usedDefault == FALSE ? std::string(text, static_cast<std::size_t>(length)) : "?";
}

class CodePageConverter final : public CharsetConverter {
 public:
  CodePageConverter(UINT from, UINT to)
      : from_(from), to_(to), fromIsDoubleByte_(UsableMaxCharSize(from) == 2) {}

  Progress Convert(std::span<const char> in, std::span<char> out) override {
    Progress progress;
    while (progress.read < in.size()) {
      const std::span<const char> rest = in.subspan(progress.read);
      const std::span<char> room = out.subspan(progress.written);
      // A byte gives at most one UTF-16 unit, and a unit at most three bytes of any output set.
      const std::size_t limit = std::min({rest.size(), wide_.size(), room.size() / 3});
      const std::size_t whole = WholeCharacters(rest.first(limit));
      if (whole == 0) {
        progress.stop = limit == rest.size() ? Stop::kIncomplete : Stop::kOutputFull;
        return progress;
      }
      const std::size_t valid = ValidLength(rest.first(whole));
      progress.written += ConvertValid(rest.first(valid), room);
      progress.read += valid;
      if (valid < whole) {
        progress.stop = Stop::kInvalid;
        return progress;
      }
      if (whole < limit && limit == rest.size()) {
        progress.stop = Stop::kIncomplete;
        return progress;
      }
    }
    return progress;
  }

  // The code pages taken here keep no state between calls, and hold nothing back.
  void Reset() override {}
  std::size_t Finish(std::span<char> /*out*/) override { return 0; }

  [[nodiscard]] std::string_view LineFeed() const override { return "\n"; }

  [[nodiscard]] std::string_view Replacement() const override { return replacement_; }

 private:
  [[nodiscard]] std::size_t CharacterLength(char first) const {
    const auto lead = static_cast<unsigned char>(first);
    if (from_ == CP_UTF8) {
      return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    }
    return fromIsDoubleByte_ && IsDBCSLeadByteEx(from_, lead) != FALSE ? 2 : 1;
  }

  // The length of the block without a character cut short at its end. A cut-short character is one
  // whose bytes so far could go on to a valid one.
  [[nodiscard]] std::size_t WholeCharacters(std::span<const char> block) const {
    for (std::size_t at = 0; at < block.size();) {
      const std::size_t length = CharacterLength(block[at]);
      if (at + length > block.size()) {
        const bool couldGoOn =
            std::all_of(block.begin() + static_cast<std::ptrdiff_t>(at) + 1, block.end(),
                        [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U; });
        return couldGoOn ? at : block.size();
      }
      at += length;
    }
    return block.size();
  }

  [[nodiscard]] bool Valid(std::span<const char> bytes) const {
    return MultiByteToWideChar(from_, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                               nullptr, 0) > 0;
  }

  // The length of the block's valid start, found a character at a time once the whole block fails.
  [[nodiscard]] std::size_t ValidLength(std::span<const char> block) const {
    if (Valid(block)) {
      return block.size();
    }
    std::size_t at = 0;
    while (at < block.size()) {
      const std::size_t length = std::min(CharacterLength(block[at]), block.size() - at);
      if (!Valid(block.subspan(at, length))) {
        break;
      }
      at += length;
    }
    return at;
  }

  std::size_t ConvertValid(std::span<const char> bytes, std::span<char> out) {
    if (bytes.empty()) {
      return 0;
    }
    const int units = MultiByteToWideChar(from_, 0, bytes.data(), static_cast<int>(bytes.size()),
                                          wide_.data(), static_cast<int>(wide_.size()));
    const int written = WideCharToMultiByte(to_, 0, wide_.data(), units, out.data(),
                                            static_cast<int>(out.size()), nullptr, nullptr);
    return written > 0 ? static_cast<std::size_t>(written) : 0;
  }

  UINT from_;
  UINT to_;
  bool fromIsDoubleByte_;
  std::array<wchar_t, 4096> wide_{};
  std::string replacement_ = ReplacementIn(to_);
};

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// UTF-16 of either byte order, which the code page calls do not read, into a code page: its units are
// taken as they are, and only a surrogate without its other half is invalid.
class Utf16Converter final : public CharsetConverter {
 public:
  Utf16Converter(bool bigEndian, UINT to) : bigEndian_(bigEndian), to_(to) {}

  Progress Convert(std::span<const char> in, std::span<char> out) override {
    Progress progress;
    while (progress.read < in.size()) {
      const std::span<const char> rest = in.subspan(progress.read);
      const std::size_t units = rest.size() / 2;
      // A unit gives at most three bytes of any output set (a surrogate pair four, for two units).
      const std::size_t limit = std::min({units, wide_.size(), (out.size() - progress.written) / 3});
      if (limit == 0) {
        progress.stop = units == 0 ? Stop::kIncomplete : Stop::kOutputFull;
        return progress;
      }
      for (std::size_t i = 0; i < limit; ++i) {
        const auto first = static_cast<unsigned char>(rest[2 * i]);
        const auto second = static_cast<unsigned char>(rest[2 * i + 1]);
        wide_.at(i) = static_cast<wchar_t>(bigEndian_ ? (first << 8) | second : (second << 8) | first);
      }
      std::size_t valid = 0;
      while (
          valid < limit && !IsLowSurrogate(wide_.at(valid)) &&
          (!IsHighSurrogate(wide_.at(valid)) || (valid + 1 < limit && IsLowSurrogate(wide_.at(valid + 1))))) {
        valid += IsHighSurrogate(wide_.at(valid)) ? 2 : 1;
      }
      if (valid > 0) {
        const int written =
            WideCharToMultiByte(to_, 0, wide_.data(), static_cast<int>(valid), out.data() + progress.written,
                                static_cast<int>(out.size() - progress.written), nullptr, nullptr);
        progress.written += written > 0 ? static_cast<std::size_t>(written) : 0;
        progress.read += 2 * valid;
      }
      if (valid == limit) {
        continue;
      }
      // A high surrogate last in the units taken has its other half after them, or still to come.
      if (valid + 1 != limit || !IsHighSurrogate(wide_.at(valid))) {
        progress.stop = Stop::kInvalid;
        return progress;
      }
      if (limit == units || valid == 0) {
        progress.stop = limit == units ? Stop::kIncomplete : Stop::kOutputFull;
        return progress;
      }
    }
    return progress;
  }

  void Reset() override {}
  std::size_t Finish(std::span<char> /*out*/) override { return 0; }
  [[nodiscard]] std::string_view LineFeed() const override {
    return bigEndian_ ? std::string_view("\0\n", 2) : std::string_view("\n\0", 2);
  }
  [[nodiscard]] std::string_view Replacement() const override { return replacement_; }

 private:
  bool bigEndian_;
  UINT to_;
  std::array<wchar_t, 4096> wide_{};
  std::string replacement_ = ReplacementIn(to_);
};

}  // namespace

std::unique_ptr<CharsetConverter> OpenConverter(const char* from, const char* to) {
  const UINT toCodePage = CodePageNamed(to);
  const std::string source = CanonicalCharsetName(from);
  // UTF-16 without its byte order is big endian, as a text without a byte order mark is read.
  if ((source == "UTF16LE" || source == "UTF16BE" || source == "UTF16") &&
      UsableMaxCharSize(toCodePage) != 0) {
    return std::make_unique<Utf16Converter>(source != "UTF16LE", toCodePage);
  }
  const UINT fromCodePage = CodePageNamed(from);
  if (UsableMaxCharSize(fromCodePage) == 0 || UsableMaxCharSize(toCodePage) == 0) {
    return nullptr;
  }
  return std::make_unique<CodePageConverter>(fromCodePage, toCodePage);
}

std::string OutputCharset() { return "UTF-8"; }

std::string ArgumentCharset() { return "UTF-8"; }

std::string SystemCharset() { return "CP" + std::to_string(GetACP()); }

std::string InSystemCharset(std::string_view text) {
  return platform::win32::CodePageText(platform::win32::WideText(text), CP_ACP);
}

}  // namespace platform

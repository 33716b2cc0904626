// Character set conversion with the C library's iconv; glibc loads its converters at run time.
#include "platform/charset_converter.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)

// Converting into "SET//TRANSLIT" writes a character the set lacks as a look-alike or `?`, so that
// iconv stops only for faults of the input.
iconv_t OpenIconv(const char* from, const char* to) {
  return iconv_open((std::string(to) + "//TRANSLIT").c_str(), from);
}

std::string ReplacementIn(const char* to) {
  const iconv_t converter = OpenIconv("UTF-8", to);
  if (converter == kNoConverter) {
    return "?";
  }
  char replacementCharacter[] = "\xEF\xBF\xBD";
  char* in = replacementCharacter;
  std::size_t inLeft = 3;
  char out[16];
  char* outAt = out;
  std::size_t outLeft = sizeof out;
  const bool converted = iconv(converter, &in, &inLeft, &outAt, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  return converted && outAt != out ? std::string(out, outAt) : "?";
}

class IconvConverter final : public CharsetConverter {
 public:
  IconvConverter(iconv_t converter, std::string replacement, std::string lineFeed)
      : converter_(converter), replacement_(std::move(replacement)), lineFeed_(std::move(lineFeed)) {}
  ~IconvConverter() override { iconv_close(converter_); }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  Progress Convert(std::span<const char> in, std::span<char> out) override {
    // iconv's interface takes non-const input; it does not write to it.
    char* inAt = const_cast<char*>(in.data());  // NOLINT(cppcoreguidelines-pro-type-const-cast)
    std::size_t inLeft = in.size();
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    const bool stopped = iconv(converter_, &inAt, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1);
    Progress progress{in.size() - inLeft, out.size() - outLeft, Stop::kDone};
    if (stopped) {
      progress.stop = errno == E2BIG    ? Stop::kOutputFull
                      : errno == EINVAL ? Stop::kIncomplete
                                        : Stop::kInvalid;
    }
    return progress;
  }

  void Reset() override { iconv(converter_, nullptr, nullptr, nullptr, nullptr); }

  std::size_t Finish(std::span<char> out) override {
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    iconv(converter_, nullptr, nullptr, &outAt, &outLeft);
    Reset();
    return out.size() - outLeft;
  }

  [[nodiscard]] std::string_view LineFeed() const override { return lineFeed_; }

  [[nodiscard]] std::string_view Replacement() const override { return replacement_; }

 private:
  iconv_t converter_;
  std::string replacement_;
  std::string lineFeed_;
};

// `text`, UTF-8, in the set `to`; empty when it cannot be converted.
std::string Utf8TextIn(std::string_view text, const char* to) {
  const iconv_t converter = iconv_open(to, "UTF-8");
  if (converter == kNoConverter) {
    return {};
  }
  std::string in(text);
  char* inAt = in.data();
  std::size_t inLeft = in.size();
  char out[64];
  char* outAt = out;
  std::size_t outLeft = sizeof out;
  const bool converted = iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != static_cast<std::size_t>(-1) &&
                         iconv(converter, nullptr, nullptr, &outAt, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  return converted ? std::string(out, outAt) : std::string();
}

// A line feed as the set writes one: what a second line feed adds to the first, so that a byte order mark
// or a shift sequence the set writes first is left out. "\n" where the set cannot be written, or gives a
// unit no line could end in.
std::string LineFeedIn(const char* set) {
  const std::string one = Utf8TextIn("\n", set);
  const std::string two = Utf8TextIn("\n\n", set);
  const std::size_t width = two.size() - std::min(one.size(), two.size());
  return width == 1 || width == 2 || width == 4 ? two.substr(one.size()) : "\n";
}

// glibc's iconv takes a name without a letter or digit before its first '/' (" ", "/", "+") for the
// locale's set: such a name names none here.
bool NamesASet(std::string_view name) {
  const std::string_view set = name.substr(0, name.find('/'));
  return std::any_of(set.begin(), set.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

}  // namespace

std::unique_ptr<CharsetConverter> OpenConverter(const char* from, const char* to) {
  if (!NamesASet(from) || !NamesASet(to)) {
    return nullptr;
  }
  const iconv_t converter = OpenIconv(from, to);
  if (converter == kNoConverter) {
    return nullptr;
  }
  return std::make_unique<IconvConverter>(converter, ReplacementIn(to), LineFeedIn(from));
}

std::string OutputCharset() {
  std::setlocale(LC_CTYPE, "");
  return nl_langinfo(CODESET);
}

std::string ArgumentCharset() { return OutputCharset(); }

std::string SystemCharset() { return OutputCharset(); }

std::string InSystemCharset(std::string_view text) { return std::string(text); }

}  // namespace platform

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
  IconvConverter(iconv_t converter, std::string replacement, std::size_t unitSize)
      : converter_(converter), replacement_(std::move(replacement)), unitSize_(unitSize) {}
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

  [[nodiscard]] std::size_t UnitSize() const override { return unitSize_; }

  [[nodiscard]] std::string_view Replacement() const override { return replacement_; }

 private:
  iconv_t converter_;
  std::string replacement_;
  std::size_t unitSize_;
};

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
  return std::make_unique<IconvConverter>(converter, ReplacementIn(to), CodeUnitSize(from));
}

std::string OutputCharset() {
  std::setlocale(LC_CTYPE, "");
  return nl_langinfo(CODESET);
}

std::string ArgumentCharset() { return OutputCharset(); }

std::string SystemCharset() { return OutputCharset(); }

std::string InSystemCharset(std::string_view text) { return std::string(text); }

}  // namespace platform

// Character set names, as every platform's converters read them.
#include <cctype>
#include <string>
#include <string_view>

#include "platform/charset_converter.h"

namespace platform {

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

}  // namespace platform

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

}  // namespace platform

#include <cctype>

#include "charset_converter.h"

std::string CanonicalCharsetName(std::string_view name) {
  std::string canonical;
  for (const char c : name) {
    if (c != '-' && c != '_') {
      canonical += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return canonical;
}

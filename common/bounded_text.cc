#include "common/bounded_text.h"

#include <cstdarg>
#include <cstdio>

bool FormatBounded(std::span<char> out, const char* format, ...) {  // NOLINT(cert-dcl50-cpp)
  if (out.empty()) {
    return false;
  }
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(out.data(), out.size(), format, args);
  va_end(args);
  if (length < 0 || static_cast<std::size_t>(length) >= out.size()) {
    out[0] = '\0';
    return false;
  }
  return true;
}

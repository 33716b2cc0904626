#include "arguments.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

bool ParseCount(const char* text, std::size_t& count) {
  if (*text < '0' || *text > '9') {
    return false;
  }
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*end != '\0' || errno == ERANGE || value > SIZE_MAX) {
    return false;
  }
  count = static_cast<std::size_t>(value);
  return true;
}

Arguments Refuse(std::string error) {
  Arguments refused;
  refused.error = std::move(error);
  return refused;
}

}  // namespace

Arguments ParseArguments(int argc, const char* const argv[]) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    if (std::strcmp(option, "--no-rollover") == 0) {
      arguments.rollover = false;
      continue;
    }
    const bool known = std::strcmp(option, "-n") == 0 || std::strcmp(option, "-f") == 0;
    if (!known) {
      return Refuse(std::string(option[0] == '-' ? "unknown option " : "unexpected argument ") + option);
    }
    if (i + 1 == argc) {
      return Refuse(std::string("option ") + option + " needs a value");
    }
    const char* value = argv[++i];
    if (option[1] == 'f') {
      if (arguments.file != nullptr) {
        return Refuse("option -f given twice");
      }
      arguments.file = value;
    } else if (!ParseCount(value, arguments.lineCount)) {
      return Refuse(std::string("invalid line count ") + value);
    }
  }
  if (arguments.file == nullptr) {
    return Refuse("missing -f FILE");
  }
  return arguments;
}

// Any viewer path and log path either give a command line that splits back into exactly the viewer
// path, "-f" and the log path, or are refused as too long; splitting any text stays within its buffers.
#include <cstring>
#include <vector>

#include "command_line.h"
#include "fuzz_input.h"

namespace {

constexpr std::size_t kLineSize = 256;

bool NeedsQuotes(const std::string& path) {
  return path.empty() || path.find_first_of(" \t\"") != std::string::npos;
}

std::vector<std::string> Split(const char* line, std::size_t storageSize, std::size_t argsSize, int& count) {
  // Exactly sized heap buffers, so that a write past either is caught.
  std::vector<char> storage(storageSize);
  std::vector<char*> args(argsSize);
  count = SplitCommandLine(line, storage, args);
  if (count < 0) {
    return {};
  }
  FUZZ_CHECK(args[count] == nullptr);
  return {args.begin(), args.begin() + count};
}

void CheckRoundTrip(const std::string& viewer, const std::string& log) {
  std::vector<char> line(kLineSize);
  if (!BuildViewerCommandLine(line, viewer.c_str(), log.c_str())) {
    FUZZ_CHECK(line[0] == '\0');
    FUZZ_CHECK(viewer.size() + log.size() + 4 >= kLineSize || NeedsQuotes(viewer) || NeedsQuotes(log));
    return;
  }
  const std::size_t length = std::strlen(line.data());
  int count = 0;
  const std::vector<std::string> args = Split(line.data(), length + 1, length / 2 + 2, count);
  FUZZ_CHECK((args == std::vector<std::string>{viewer, "-f", log}));
}

void CheckSplitStaysInBounds(const std::string& text) {
  int count = 0;
  Split(text.c_str(), text.size() + 1, text.size() / 2 + 2, count);
  FUZZ_CHECK(count >= 0);
  // Too little room is refused, never written past.
  Split(text.c_str(), text.size() / 2, text.size() / 4 + 1, count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TwoStrings paths = SplitAtNul(data, size);
  CheckRoundTrip(paths.first, paths.second);
  CheckSplitStaysInBounds(paths.first);
  return 0;
}

// Any two arguments of any length either give the day's viewer and log paths as written, or the
// refusal of the first bound they pass; nothing is written past a buffer.
#include <cstring>
#include <span>
#include <vector>

#include "daily_paths.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TwoStrings input = SplitAtNul(data, size);
  const std::string& home = input.first;
  const std::string& prefix = input.second;
  const std::string stamp = "20261208";
  // Exactly sized heap buffers, so that a write past any of them is caught.
  std::vector<char> homeBuffer(kHomePathSize);
  std::vector<char> viewer(kPathSize);
  std::vector<char> log(kPathSize);
  const char* refusal =
      FormDailyPaths(std::span<char, kHomePathSize>(homeBuffer.data(), kHomePathSize), home.c_str(),
                     prefix.c_str(), stamp.c_str(), std::span<char, kPathSize>(viewer.data(), kPathSize),
                     std::span<char, kPathSize>(log.data(), kPathSize));

  const std::string expectedViewer = home + "\\bin\\cmdtail.exe";
  const std::string expectedLog = home + "\\log\\" + prefix + "." + stamp;
  if (home.size() >= kHomePathSize) {
    FUZZ_CHECK(refusal != nullptr && std::strstr(refusal, "home path") != nullptr);
  } else if (expectedLog.size() >= kPathSize) {
    FUZZ_CHECK(refusal != nullptr && std::strstr(refusal, "Log path") != nullptr);
  } else {
    FUZZ_CHECK(refusal == nullptr);
    FUZZ_CHECK(homeBuffer.data() == home);
    FUZZ_CHECK(viewer.data() == expectedViewer);
    FUZZ_CHECK(log.data() == expectedLog);
  }
  return 0;
}

#include "daily_paths.h"

#include "common/bounded_text.h"
#include "messages.h"

namespace {

constexpr char kViewerInHome[] = "\\bin\\cmdtail.exe";
// Any home that fits its buffer leaves room for the viewer's path.
static_assert(kHomePathSize - 1 + sizeof kViewerInHome <= kPathSize);

}  // namespace

const char* FormDailyPaths(std::span<char, kHomePathSize> home, const char* homeArgument, const char* prefix,
                           const char* stamp, std::span<char, kPathSize> viewer,
                           std::span<char, kPathSize> log) {
  if (!FormatBounded(home, "%s", homeArgument)) {
    return kHomePathTooLong;
  }
  FormatBounded(viewer, "%s%s", home.data(), kViewerInHome);
  if (!FormatBounded(log, "%s\\log\\%s.%s", home.data(), prefix, stamp)) {
    return kLogPathTooLong;
  }
  return nullptr;
}

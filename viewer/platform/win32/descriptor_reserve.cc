// Windows has no table of descriptors to fill: handles are opened as they are asked for.
#include "platform/descriptor_reserve.h"

#include <windows.h>

#include "platform/files.h"

namespace platform {

void HoldReserve() {}

FileHandle OpenAgainForReading(const std::string& path) { return OpenForReading(path); }

bool OutOfDescriptors() { return GetLastError() == ERROR_TOO_MANY_OPEN_FILES; }

}  // namespace platform

#pragma once

#include <string>

#include "platform/files.h"

// A descriptor kept in reserve, so that a followed name can be opened again (its file rotated) while the
// process's table of descriptors is full; one source per system (posix/, win32/). Windows has no such
// table: there nothing is reserved.
namespace platform {

// Takes a descriptor into reserve, unless one is held already or none is free.
void HoldReserve();
// Opens `path` as OpenForReading does; when no descriptor is free, the reserve's is let go for it.
FileHandle OpenAgainForReading(const std::string& path);
// True when the last open failed for want of a free descriptor (or handle).
bool OutOfDescriptors();

}  // namespace platform

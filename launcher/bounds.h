#pragma once

#include <cstddef>

// The launcher's fixed buffers, each holding a NUL-terminated text one byte shorter: the home path at
// most 255 characters, each path formed from it at most 511, the viewer's command line at most 255.
inline constexpr std::size_t kHomePathSize = 256;
inline constexpr std::size_t kPathSize = 512;
inline constexpr std::size_t kCommandLineSize = 256;

#pragma once

#include <cstddef>

// The size of each read of a file or a stream, and of each block a stream's last lines are kept in.
inline constexpr std::size_t kReadBlockSize = std::size_t{64} * 1024;

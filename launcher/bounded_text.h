#pragma once

#include <span>

// Formats into a fixed buffer. Returns false, leaving the buffer empty, when the whole result does not
// fit: text is never cut short and nothing is written past the buffer.
bool FormatBounded(std::span<char> out, const char* format, ...) __attribute__((format(printf, 2, 3)));

#pragma once

#include <span>

// Formats into a fixed buffer. Returns false, leaving the buffer empty, when the whole result does not
// fit: text is never cut short and nothing is written past the buffer.
// A printf-style function rather than a template, so that the compiler checks each format against its
// arguments.
bool FormatBounded(std::span<char> out, const char* format, ...)  // NOLINT(cert-dcl50-cpp)
    __attribute__((format(printf, 2, 3)));

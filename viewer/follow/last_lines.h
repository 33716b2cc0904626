#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "output/line_filter.h"
#include "text/line_ends.h"

// Reads at an offset into a buffer; returns the bytes read, 0 at the end of the data, -1 on error.
using ReadAtFunction = std::function<std::ptrdiff_t(std::uint64_t offset, std::span<char> into)>;

// Returns the offset where the last `count` lines of the first `size` bytes begin, reading backwards
// from `size` one block at a time, so the cost depends on the length of those lines only. A last line
// without a newline counts as a line. Empty when a read fails or finds less data than `size`. With line
// ends wider than a byte, the block's size is a multiple of their width.
std::optional<std::uint64_t> FindLastLinesStart(const ReadAtFunction& readAt, std::uint64_t size,
                                                std::size_t count, std::span<char> block, LineEnds ends = {});

// Returns the offset where line `number` (counted from 1; 0 counts as 1) of the first `size` bytes
// begins, reading forwards one block at a time up to that line only; `size` when there are fewer
// lines. A read that ends early ends the search there. Empty when a read fails.
std::optional<std::uint64_t> FindLineStart(const ReadAtFunction& readAt, std::uint64_t size,
                                           std::size_t number, std::span<char> block, LineEnds ends = {});

// As FindLastLinesStart, counting only the lines `shownLines` finds shown, and lines longer than
// kLongestFilteredLine, which are shown whatever they hold. The lines are handed to it a block at a
// time, so that it can search a block at once.
std::optional<std::uint64_t> FindLastShownLinesStart(const ReadAtFunction& readAt, std::uint64_t size,
                                                     std::size_t count, std::span<char> block, LineEnds ends,
                                                     const ShownLinesFunction& shownLines);

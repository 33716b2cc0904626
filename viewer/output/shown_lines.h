#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "output/line_filter.h"
#include "output/output_settings.h"
#include "output/text_output.h"
#include "platform/charset_converter.h"
#include "text/byte_order_mark.h"
#include "text/line_ends.h"

// Which lines of a text in an encoding the output's filter shows, found ahead of the output, for the
// last lines to show: the filter in the text's form, and a converter of its own where the text is
// decoded on its way out.
class ShownLines {
 public:
  ShownLines(const OutputSettings& settings, const TextEncoding& encoding, const SharedOutput& shared);

  // Whether only some lines are shown.
  [[nodiscard]] bool Filters() const { return filter_.Filters(); }
  // Adds where each shown line of the text's raw whole lines begins. Text that is searched as it is,
  // is searched a block at a time; text that is decoded first, a line at a time.
  void Find(std::span<const char> text, std::vector<std::size_t>& starts);
  ShownLinesFunction AsFunction() {
    return [this](std::span<const char> text, std::vector<std::size_t>& starts) { Find(text, starts); };
  }

 private:
  ShownLines(const OutputSettings& settings, TextForm form, const LineEnds& lineEnds);

  LineFilter filter_;
  std::unique_ptr<platform::CharsetConverter> converter_;
  LineEnds lineEnds_;
};

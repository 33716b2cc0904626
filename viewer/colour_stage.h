#pragma once

#include <span>
#include <string_view>

#include "output_block.h"
#include "output_sink.h"

// Shows a complete line holding the word ERROR or FATAL in red and one holding WARN or WARNING in
// yellow (whole words, upper case), by escape sequences around the line's text; every byte passes
// unchanged. A line that arrives in pieces is passed on at once, uncoloured, so colour never delays
// output; the only state kept between writes is whether a line is under way.
class ColourStage final : public OutputSink {
 public:
  explicit ColourStage(OutputSink& next);

  viewer_platform::WriteResult Write(std::span<const char> bytes) override;

 private:
  // Passes one line (newline included, if it has one), coloured when it was seen from its start.
  viewer_platform::WriteResult PutLine(std::string_view line);

  bool lineUnderWay_ = false;
  OutputBlock out_;
};

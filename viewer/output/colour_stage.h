#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "output/held_line.h"
#include "output/output_block.h"
#include "platform/output.h"
#include "platform/output_sink.h"
#include "text/patterns.h"

// Shows a complete line holding the word ERROR or FATAL in red and one holding WARN or WARNING in
// yellow (whole words, upper case), and each occurrence of a highlighted text in a colour of its own,
// by escape sequences around the line's text and the occurrences; every byte passes unchanged. The start of a
// line is held back while more is at hand (up to a bound), so that colour does not depend on where reads cut
// the text; a line whose start had to go out before its end came (the writer had written only part of it)
// goes on uncoloured.
class ColourStage final : public platform::OutputSink, HeldLine::Receiver {
 public:
  // `highlights` are the texts to highlight, in the form of the text that comes; none when null. With
  // `recordStart`, a line that does not start a record takes the colour of the record's first line.
  ColourStage(const Patterns* highlights, const Patterns* recordStart, platform::OutputSink& next);

  // The texts to highlight from now on.
  void UseHighlights(const Patterns* highlights) { highlights_ = highlights; }

  platform::WriteResult Write(std::span<const char> bytes) override;
  // The held start of a line is shown as a line of its own: nothing can follow it.
  platform::WriteResult EndOfFile() override;
  // The held start of a line goes out uncoloured, and so will the rest of that line.
  platform::WriteResult Idle() override;

  void WriteAtEnd(std::string_view bytes) override { out_.WriteAtEnd(bytes); }

  // Closes a colour the output may have been left in, when a write was cut short by a stop or a
  // failure while a coloured line was under way: the terminal must not stay coloured. Writes even
  // after a stop.
  void CloseColour();

 private:
  // A text's occurrence: where it starts (none at npos) and its length.
  using Occurrence = std::pair<std::size_t, std::size_t>;

  // Passes complete lines, each coloured by its words.
  platform::WriteResult PutLines(std::string_view lines) override;
  // Passes the bytes of a line that will not be coloured.
  platform::WriteResult PutAsItIs(std::string_view piece) override { return Put(piece); }
  // Passes a complete line (newline included, if it has one), coloured by its words; it begins at
  // `lineStart` in the block of lines `block` searched for fixed highlights.
  platform::WriteResult PutLine(std::string_view line, const SearchedText& block, std::size_t lineStart);
  // The line's text as the highlights search it: its part of the block's for fixed texts, on its own for
  // expressions, which take each line whole.
  SearchedText LineSearched(std::string_view text, const SearchedText& block, std::size_t lineStart);
  // Whether a highlighted text occurs in the line's text. Each fixed text's next occurrence in the block
  // is looked for again only once a line past it is reached.
  bool Highlighted(const SearchedText& block, const SearchedText& line, std::size_t lineStart);
  // Whether an occurrence ends by `end`.
  static bool EndsBy(Occurrence occurrence, std::size_t end);
  // A fixed text's next occurrence in the block at `lineStart` or past it, looked for again only when
  // the one found before is behind the line.
  Occurrence NextInBlock(std::size_t pattern, const SearchedText& block, std::size_t lineStart);
  // Sets each highlighted text's first occurrence in the line (at `lineStart` in the block).
  void FindFirstOccurrences(const SearchedText& block, const SearchedText& line, std::size_t lineStart);
  // Puts into the output block, noting a write cut short.
  platform::WriteResult Put(std::string_view piece);
  platform::WriteResult Flush();
  // Puts the line's text with its highlights, each followed by the line's own colour again.
  platform::WriteResult PutHighlighted(const SearchedText& block, const SearchedText& searched,
                                       std::size_t lineStart, std::string_view colour);

  const Patterns* highlights_ = nullptr;
  const Patterns* recordStart_ = nullptr;
  // The colour of the record under way.
  std::string_view recordColour_;
  std::string folded_;
  // Each highlighted text's next occurrence in the line, and its length; kept between lines.
  std::vector<Occurrence> nextOccurrences_;
  // Each fixed highlighted text's next occurrence in the block of lines, and its length.
  std::vector<Occurrence> nextInBlock_;
  HeldLine held_;
  // A colour sequence has been put since the output was last seen whole without one open.
  bool colourMayBeOpen_ = false;
  // A write was cut short (a stop, a failure): the output may end inside a coloured line, whatever an
  // empty block says later.
  bool cutShort_ = false;
  OutputBlock out_;
};

#pragma once

#include <memory>
#include <string>

#include "follow/last_lines.h"
#include "output/colour_stage.h"
#include "output/decode_stage.h"
#include "output/filter_stage.h"
#include "output/visible_stage.h"
#include "platform/output_sink.h"
#include "text/line_ends.h"
#include "text/patterns.h"

// A repeatable option's texts in both forms a file's text can take: decoded, in the output's character
// set, and raw, in the system's.
struct TextPatterns {
  Patterns decoded;
  Patterns raw;
  [[nodiscard]] const Patterns& For(bool decoded) const { return decoded ? this->decoded : raw; }
};

// What the output does with every file's text, as the options and standard output decide it.
struct OutputSettings {
  // Asked for; null: each file's raw bytes, unless its byte order mark names its encoding.
  const char* encoding = nullptr;
  bool colour = false;
  // Control characters made visible, for a terminal.
  bool visible = false;
  // Headers name each file's part of the output.
  bool headers = false;
  const TextPatterns* highlights = nullptr;
  const TextPatterns* greps = nullptr;
  const TextPatterns* excludes = nullptr;
};

// Standard output as all files' outputs share it: raw bytes, decoded text (on a Windows console its
// wide-character output), and the header line that names a file.
class SharedOutput {
 public:
  explicit SharedOutput(bool headers);

  OutputSink& Target(bool decoded) {
    if (decoded && console_ != nullptr) {
      return *console_;
    }
    return standard_;
  }
  // Writes "==> NAME <==" when `file` is not the one whose bytes went out last (with a blank line
  // before it, but for the first), where headers are shown.
  viewer_platform::WriteResult SwitchTo(const void* file, const std::string& name);

 private:
  StandardOutput standard_;
  std::unique_ptr<OutputSink> console_;
  bool headers_;
  const void* last_ = nullptr;
};

// One file's way to standard output: raw -> decode -> filter -> make visible -> colour -> header ->
// write. A stage that is not asked for is left out, so without any the bytes go straight out.
class FileOutput final : public OutputSink {
 public:
  FileOutput(const OutputSettings& settings, SharedOutput& shared, std::string name);

  // Readies the output for a text in `encoding` (null: raw bytes); false when the system has no
  // converter for it.
  bool Begin(const char* encoding);
  // The file's name for its headers, after the day's rollover.
  void Rename(std::string name) { name_ = std::move(name); }
  // Shows the file's header now, as before its last lines, even when it has none.
  viewer_platform::WriteResult Announce() { return shared_.SwitchTo(this, name_); }
  // See ColourStage::CloseColour.
  void CloseColour();
  // Whether only some lines are shown, and which of the whole lines of the file's raw text are.
  [[nodiscard]] bool Filters() const { return filter_ != nullptr; }
  void FindShownLines(std::span<const char> text, std::vector<std::size_t>& starts);
  ShownLinesFunction ShownLines() {
    return [this](std::span<const char> text, std::vector<std::size_t>& starts) {
      FindShownLines(text, starts);
    };
  }

  viewer_platform::WriteResult Write(std::span<const char> bytes) override { return head_->Write(bytes); }
  viewer_platform::WriteResult EndOfFile() override { return head_->EndOfFile(); }
  viewer_platform::WriteResult Idle() override { return head_->Idle(); }

 private:
  // The last stage: the header before the bytes, when they follow another file's.
  class Labelled final : public OutputSink {
   public:
    explicit Labelled(FileOutput& owner) : owner_(owner) {}
    viewer_platform::WriteResult Write(std::span<const char> bytes) override;

   private:
    FileOutput& owner_;
  };

  SharedOutput& shared_;
  std::string name_;
  std::string encoding_;
  bool begun_ = false;
  bool decoded_ = false;
  Labelled labelled_{*this};
  const OutputSettings& settings_;
  LineFilter decodedFilter_;
  LineFilter rawFilter_;
  std::unique_ptr<ColourStage> colour_;
  std::unique_ptr<VisibleStage> visible_;
  std::unique_ptr<FilterStage> filter_;
  std::unique_ptr<DecodeStage> decode_;
  // Decodes a line on its own, for FindShownLines().
  std::unique_ptr<CharsetConverter> lineConverter_;
  LineEnds lineEnds_;
  // Where raw bytes or decoded text enter: the first stage after decoding.
  OutputSink* text_ = &labelled_;
  OutputSink* head_ = &labelled_;
};

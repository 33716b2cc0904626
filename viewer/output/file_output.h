#pragma once

#include <memory>
#include <string>
#include <vector>

#include "output/alarm.h"
#include "output/alert_stage.h"
#include "output/colour_stage.h"
#include "output/decode_stage.h"
#include "output/filter_stage.h"
#include "output/line_filter.h"
#include "output/note_sink.h"
#include "output/shared_output.h"
#include "output/visible_stage.h"
#include "platform/output.h"
#include "platform/output_sink.h"
#include "text/byte_order_mark.h"
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
  // Lines holding these raise alerts on `alarm` once the start's lines are shown; none when either is null.
  const TextPatterns* alerts = nullptr;
  Alarm* alarm = nullptr;
  // The highlights and, after them, the alerts' texts: what is highlighted once alerts are raised.
  const TextPatterns* highlightsWithAlerts = nullptr;
};

// One file's way to standard output: raw -> decode -> filter -> alert -> make visible -> colour -> header
// -> write. A stage that is not asked for is left out, so without any the bytes go straight out. The
// stages' notes are said under the file's name.
class FileOutput final : public OutputSink, NoteSink {
 public:
  // `name` is the file's as shown, which the day's rollover changes.
  FileOutput(const OutputSettings& settings, SharedOutput& shared, const std::string& name);
  FileOutput(const OutputSettings& settings, SharedOutput& shared, std::string&& name) = delete;

  // Readies the output for a text in `encoding` (null: raw bytes); false when the system has no
  // converter for it.
  bool Begin(const char* encoding);
  // Readies the output for a text in the encoding its start told, as raw bytes when the system has no
  // converter for it.
  void BeginText(const TextEncoding& encoding);
  // Shows the file's header now, as before its last lines, even when it has none.
  viewer_platform::WriteResult Announce() { return shared_.SwitchTo(this, name_); }
  // The start's lines have been shown: the lines that come from now on raise alerts.
  void StartShown();
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
  void WriteAtEnd(std::string_view bytes) override { head_->WriteAtEnd(bytes); }
  void Note(const char* note) override;

 private:
  // The highlights for the lines that come: with the alerts' texts once the start's lines are shown.
  void UseHighlights();

  // The last stage: the header before the bytes, when they follow another file's.
  class Labelled final : public OutputSink {
   public:
    explicit Labelled(FileOutput& owner) : owner_(owner) {}
    viewer_platform::WriteResult Write(std::span<const char> bytes) override;
    // Bytes at the end belong to what went out last: no header goes before them.
    void WriteAtEnd(std::string_view bytes) override;

   private:
    FileOutput& owner_;
  };

  SharedOutput& shared_;
  const std::string& name_;
  std::string encoding_;
  bool begun_ = false;
  bool decoded_ = false;
  Labelled labelled_{*this};
  const OutputSettings& settings_;
  LineFilter decodedFilter_;
  LineFilter rawFilter_;
  // The lines that hold an alert's text.
  LineFilter decodedAlerts_;
  LineFilter rawAlerts_;
  // Lines raise alerts: the start's lines have been shown.
  bool alerting_ = false;
  std::unique_ptr<ColourStage> colour_;
  std::unique_ptr<VisibleStage> visible_;
  std::unique_ptr<AlertStage> alert_;
  std::unique_ptr<FilterStage> filter_;
  std::unique_ptr<DecodeStage> decode_;
  // Decodes a line on its own, for FindShownLines().
  std::unique_ptr<CharsetConverter> lineConverter_;
  LineEnds lineEnds_;
  // Where raw bytes or decoded text enter: the first stage after decoding.
  OutputSink* text_ = &labelled_;
  OutputSink* head_ = &labelled_;
};

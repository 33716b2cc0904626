#pragma once

#include <memory>
#include <string>
#include <utility>

#include "output/alarm.h"
#include "output/alert_stage.h"
#include "output/colour_stage.h"
#include "output/decode_stage.h"
#include "output/filter_stage.h"
#include "output/line_filter.h"
#include "output/note_sink.h"
#include "output/output_settings.h"
#include "output/select_stage.h"
#include "output/shared_output.h"
#include "output/visible_stage.h"
#include "platform/charset_converter.h"
#include "platform/output.h"
#include "platform/output_sink.h"
#include "text/byte_order_mark.h"

// What every file's output is built from: the run's settings, the alarm that alerts ring (null without
// alerts) and standard output as the files share it.
struct OutputRun {
  const OutputSettings& settings;
  Alarm* alarm;
  SharedOutput& shared;
};

// How a text in an encoding reaches the output: decoded or as raw bytes (where the system has no
// converter for it), and through a converter unless it is in the output's own set already.
struct TextForm {
  bool decoded = false;
  std::unique_ptr<platform::CharsetConverter> converter;
};
TextForm FormOf(const TextEncoding& encoding, const SharedOutput& shared);

// One text's way to standard output, built when the text begins (a file's start, its new start after a
// truncation, the file that takes its name, the next day's log): raw -> decode -> filter or select -> alert
// -> make visible -> colour -> header -> write. A stage that is not asked for is left out, so without any the
// bytes go straight out. The stages' notes are said under the file's name.
class TextOutput final : public platform::OutputSink {
 public:
  // `file` tells one followed file from another for the headers: texts of the same file, shown one
  // after another under the same name, share their header. With `alerting`, the text's lines raise
  // alerts from the start.
  TextOutput(const OutputRun& run, const void* file, std::string name, const TextEncoding& encoding,
             bool alerting);

  [[nodiscard]] const std::string& name() const { return header_.name(); }
  // The start's lines have been shown: the lines that come from now on raise alerts.
  void StartAlerting();
  // Whether lines are chosen as a whole text goes (see SelectStage); then the start's last records can be
  // kept until they are known, as SelectStage keeps them.
  [[nodiscard]] bool Selects() const { return select_ != nullptr; }
  void KeepLast(std::size_t count, bool atTextStart) { select_->KeepLast(count, atTextStart); }
  [[nodiscard]] bool KeptExactly() const { return select_->KeptExactly(); }
  platform::WriteResult ShowKept(bool ended) { return select_->ShowKept(ended); }
  // At the end of the run: shows what the stages still hold back (an unfinished last line) unless
  // standard output failed, and closes a colour a stop left open (see ColourStage::CloseColour).
  platform::WriteResult Finish(bool outputFailed);

  platform::WriteResult Write(std::span<const char> bytes) override { return head_->Write(bytes); }
  platform::WriteResult EndOfFile() override { return head_->EndOfFile(); }
  platform::WriteResult Idle() override { return head_->Idle(); }
  void WriteAtEnd(std::string_view bytes) override { head_->WriteAtEnd(bytes); }

 private:
  // Says the stages' notes under the file's name.
  struct FileNotes final : NoteSink {
    explicit FileNotes(std::string shownName) : name(std::move(shownName)) {}
    void Note(const char* note) override;
    std::string name;
  };

  // The last stage: the header before the bytes, when they follow another file's.
  class Header final : public platform::OutputSink {
   public:
    Header(SharedOutput& shared, const void* file, std::string name, bool decoded)
        : shared_(shared), file_(file), name_(std::move(name)), target_(shared.Target(decoded)) {}
    [[nodiscard]] const std::string& name() const { return name_; }
    platform::WriteResult Write(std::span<const char> bytes) override;
    // Bytes at the end belong to what went out last: no header goes before them.
    void WriteAtEnd(std::string_view bytes) override { target_.WriteAtEnd(bytes); }

   private:
    SharedOutput& shared_;
    const void* file_;
    std::string name_;
    platform::OutputSink& target_;
  };

  TextOutput(const OutputRun& run, const void* file, std::string name, TextForm form, bool alerting);
  // The highlights for the lines that come: with the alerts' texts once the start's lines are shown.
  [[nodiscard]] const Patterns* HighlightsFor(bool alerting) const;
  // Puts `stage` before the stages built so far.
  template <typename Stage, typename... Arguments>
  std::unique_ptr<Stage> Prepend(Arguments&&... arguments);

  const OutputSettings& settings_;
  const bool decoded_;
  const bool alerts_;
  FileNotes notes_;
  Header header_;
  LineFilter filter_;
  const Patterns* recordStart_;
  SelectionRules selectionRules_;
  // The lines that hold an alert's text.
  LineFilter alertLines_;
  platform::OutputSink* head_ = &header_;
  std::unique_ptr<ColourStage> colour_;
  std::unique_ptr<VisibleStage> visible_;
  std::unique_ptr<AlertStage> alert_;
  std::unique_ptr<FilterStage> filterStage_;
  std::unique_ptr<SelectStage> select_;
  std::unique_ptr<DecodeStage> decode_;
};

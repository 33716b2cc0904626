#include "output/text_output.h"

#include <utility>

#include "output/messages.h"
#include "platform/charset_converter.h"
#include "platform/terminal.h"

namespace {

const Patterns kNoPatterns;

}  // namespace

TextForm FormOf(const TextEncoding& encoding, const SharedOutput& shared) {
  if (encoding.name == nullptr) {
    return {};
  }
  const std::string charset = platform::OutputCharset();
  std::unique_ptr<platform::CharsetConverter> converter =
      platform::OpenConverter(encoding.name, charset.c_str());
  if (converter == nullptr) {
    return {};
  }
  // Text already in the output's set passes as it is, but into a Windows console's wide output.
  if (platform::CanonicalCharsetName(encoding.name) == platform::CanonicalCharsetName(charset) &&
      !shared.HasWideText()) {
    return {.decoded = true, .converter = nullptr};
  }
  return {.decoded = true, .converter = std::move(converter)};
}

template <typename Stage, typename... Arguments>
std::unique_ptr<Stage> TextOutput::Prepend(Arguments&&... arguments) {
  auto stage = std::make_unique<Stage>(std::forward<Arguments>(arguments)..., *head_);
  head_ = stage.get();
  return stage;
}

TextOutput::TextOutput(const OutputRun& run, const void* file, std::string name, const TextEncoding& encoding,
                       bool alerting)
    : TextOutput(run, file, std::move(name), FormOf(encoding, run.shared), alerting) {}

TextOutput::TextOutput(const OutputRun& run, const void* file, std::string name, TextForm form, bool alerting)
    : settings_(run.settings),
      decoded_(form.decoded),
      alerts_(run.alarm != nullptr && !run.settings.alerts.For(decoded_).empty()),
      notes_(name),
      header_(run.shared, file, std::move(name), decoded_),
      filter_(settings_.greps.For(decoded_), settings_.excludes.For(decoded_)),
      recordStart_(settings_.selection.recordStart ? &settings_.selection.recordStart->For(decoded_)
                                                   : nullptr),
      selectionRules_{settings_.selection, settings_.greps.For(decoded_), settings_.excludes.For(decoded_),
                      recordStart_},
      alertLines_(settings_.alerts.For(decoded_), kNoPatterns) {
  if (settings_.colour) {
    colour_ = Prepend<ColourStage>(HighlightsFor(alerting), recordStart_);
  }
  if (settings_.visible) {
    visible_ = Prepend<VisibleStage>(platform::ReadsUtf8(decoded_));
  }
  if (alerts_) {
    alert_ =
        Prepend<AlertStage>(alertLines_, recordStart_, *run.alarm, static_cast<NoteSink&>(notes_), alerting);
  }
  if (settings_.Selects()) {
    select_ = Prepend<SelectStage>(selectionRules_, static_cast<NoteSink&>(notes_));
  } else if (filter_.Filters()) {
    filterStage_ = Prepend<FilterStage>(filter_, static_cast<NoteSink&>(notes_));
  }
  if (form.converter != nullptr) {
    decode_ = Prepend<DecodeStage>(std::move(form.converter));
  }
}

void TextOutput::StartAlerting() {
  if (alert_ != nullptr) {
    alert_->Arm();
    if (colour_ != nullptr) {
      colour_->UseHighlights(HighlightsFor(true));
    }
  }
}

const Patterns* TextOutput::HighlightsFor(bool alerting) const {
  return &(alerting && alerts_ ? settings_.highlightsWithAlerts : settings_.highlights).For(decoded_);
}

platform::WriteResult TextOutput::Finish(bool outputFailed) {
  const platform::WriteResult result = outputFailed ? platform::WriteResult::kWritten : head_->EndOfFile();
  if (colour_ != nullptr) {
    colour_->CloseColour();
  }
  return result;
}

platform::WriteResult TextOutput::Header::Write(std::span<const char> bytes) {
  const platform::WriteResult result = shared_.SwitchTo(file_, name_);
  return result == platform::WriteResult::kWritten ? target_.Write(bytes) : result;
}

void TextOutput::FileNotes::Note(const char* note) { Report(name, note); }

#include "output/file_output.h"

#include <algorithm>
#include <utility>

#include "output/messages.h"
#include "platform/charset_converter.h"
#include "platform/output.h"
#include "platform/terminal.h"
#include "text/byte_order_mark.h"

namespace vp = viewer_platform;

namespace {

const Patterns kNoPatterns;

const Patterns& Of(const TextPatterns* patterns, bool decoded) {
  return patterns != nullptr ? patterns->For(decoded) : kNoPatterns;
}

}  // namespace

FileOutput::FileOutput(const OutputSettings& settings, SharedOutput& shared, const std::string& name)
    : shared_(shared),
      name_(name),
      settings_(settings),
      decodedFilter_(Of(settings.greps, true), Of(settings.excludes, true)),
      rawFilter_(Of(settings.greps, false), Of(settings.excludes, false)),
      decodedAlerts_(Of(settings.alerts, true), kNoPatterns),
      rawAlerts_(Of(settings.alerts, false), kNoPatterns) {
  if (settings.colour) {
    colour_ = std::make_unique<ColourStage>(*text_);
    text_ = colour_.get();
  }
  if (settings.visible) {
    visible_ = std::make_unique<VisibleStage>(*text_);
    text_ = visible_.get();
  }
  if (settings.alarm != nullptr && rawAlerts_.Filters()) {
    alert_ = std::make_unique<AlertStage>(rawAlerts_, *settings.alarm, static_cast<NoteSink&>(*this), *text_);
    text_ = alert_.get();
  }
  if (rawFilter_.Filters()) {
    filter_ = std::make_unique<FilterStage>(rawFilter_, static_cast<NoteSink&>(*this), *text_);
    text_ = filter_.get();
  }
  head_ = text_;
}

bool FileOutput::Begin(const char* encoding) {
  const std::string asked = encoding != nullptr ? encoding : "";
  if (begun_ && asked == encoding_) {
    return true;
  }
  begun_ = true;
  encoding_ = asked;
  decode_.reset();
  lineConverter_.reset();
  head_ = text_;
  decoded_ = encoding != nullptr;
  lineEnds_ = LineEndsOf(encoding);
  if (visible_ != nullptr) {
    visible_->ReadAsUtf8(terminal::ReadsUtf8(decoded_));
  }
  if (filter_ != nullptr) {
    filter_->UseFilter(decoded_ ? decodedFilter_ : rawFilter_);
  }
  if (alert_ != nullptr) {
    alert_->UseLines(decoded_ ? decodedAlerts_ : rawAlerts_);
  }
  UseHighlights();
  if (!decoded_) {
    return true;
  }
  const std::string charset = OutputCharset();
  std::unique_ptr<CharsetConverter> converter = OpenConverter(encoding, charset.c_str());
  if (converter == nullptr) {
    return false;
  }
  // Text already in the output's set passes as it is, but into a Windows console's wide output.
  if (CanonicalCharsetName(encoding) == CanonicalCharsetName(charset) &&
      &shared_.Target(true) == &shared_.Target(false)) {
    return true;
  }
  if (filter_ != nullptr) {
    lineConverter_ = OpenConverter(encoding, charset.c_str());
  }
  decode_ = std::make_unique<DecodeStage>(std::move(converter), *text_);
  head_ = decode_.get();
  return true;
}

// Text that is searched as it is, a block at once; text that is decoded first, a line at a time.
void FileOutput::FindShownLines(std::span<const char> text, std::vector<std::size_t>& starts) {
  const std::string_view raw(text.data(), text.size());
  if (lineConverter_ == nullptr) {
    (decoded_ ? decodedFilter_ : rawFilter_).FindShownLines(raw, starts);
    return;
  }
  for (std::size_t start = 0; start < raw.size();) {
    const std::size_t end = lineEnds_.Next(text, start);
    if (decodedFilter_.Shows(ConvertedText(*lineConverter_, raw.substr(start, end - start)))) {
      starts.push_back(start);
    }
    start = std::min(end + lineEnds_.width, raw.size());
  }
}

void FileOutput::BeginText(const TextEncoding& encoding) {
  if (!Begin(encoding.name)) {
    Begin(nullptr);
  }
}

void FileOutput::StartShown() {
  if (alert_ != nullptr) {
    alert_->Arm();
    alerting_ = true;
    UseHighlights();
  }
}

void FileOutput::UseHighlights() {
  const TextPatterns* highlights = alerting_ ? settings_.highlightsWithAlerts : settings_.highlights;
  if (colour_ != nullptr && highlights != nullptr) {
    colour_->UseHighlights(&highlights->For(decoded_));
  }
}

void FileOutput::CloseColour() {
  if (colour_ != nullptr) {
    colour_->CloseColour();
  }
}

vp::WriteResult FileOutput::Labelled::Write(std::span<const char> bytes) {
  const vp::WriteResult result = owner_.shared_.SwitchTo(&owner_, owner_.name_);
  return result == vp::WriteResult::kWritten ? owner_.shared_.Target(owner_.decoded_).Write(bytes) : result;
}

void FileOutput::Labelled::WriteAtEnd(std::string_view bytes) {
  owner_.shared_.Target(owner_.decoded_).WriteAtEnd(bytes);
}

void FileOutput::Note(const char* note) { Report(name_, note); }

// Over any text and any regular expressions, case-blind or not, UTF-8 or not, the expression filter shows
// the lines that matching each line on its own shows, however the text is cut: whatever the atoms found
// first, the block searched at once and the lines' ends.
#include <re2/re2.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "output/filter_stage.h"
#include "recording_sink.h"
#include "text/patterns.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const bool ignoreCase = (data[0] & 1U) != 0;
  const bool utf8 = (data[0] & 2U) != 0;
  const bool excluding = (data[0] & 4U) != 0;
  const std::size_t longestPiece = 1 + data[1] % 64;
  // The text, then the expressions, each ended by a NUL.
  const std::vector<std::string> fields = SplitAtNuls(std::span(data + 2, size - 2));
  const std::string text = fields.front();
  const std::vector<std::string> texts(fields.begin() + 1, fields.end());
  if (texts.empty() || texts.size() > 4 || std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
        return t.empty() || t.find('\n') != std::string::npos;
      })) {
    return 0;
  }
  const Patterns expressions(std::vector<std::optional<std::string>>(texts.begin(), texts.end()), ignoreCase,
                             utf8, Patterns::Syntax::kExpressions);
  if (expressions.Fault()) {
    return 0;
  }
  re2::RE2::Options options;
  options.set_encoding(utf8 ? re2::RE2::Options::EncodingUTF8 : re2::RE2::Options::EncodingLatin1);
  options.set_case_sensitive(!ignoreCase);
  options.set_log_errors(false);
  std::vector<std::unique_ptr<re2::RE2>> plain;
  for (const std::string& given : texts) {
    plain.push_back(std::make_unique<re2::RE2>(given, options));
    FUZZ_CHECK(plain.back()->ok());
  }
  std::string expected;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string line = text.substr(at, end - at);
    const bool matched = std::any_of(plain.begin(), plain.end(), [&](const auto& expression) {
      return re2::RE2::PartialMatch(line, *expression);
    });
    if (matched != excluding) {
      expected += text.substr(at, end + 1 - at);
    }
    at = end + 1;
  }
  const Patterns none;
  const LineFilter filter(excluding ? none : expressions, excluding ? expressions : none);
  Recorder recorder;
  FilterStage stage(filter, recorder, recorder);
  WriteInPieces(stage, text, longestPiece);
  FUZZ_CHECK(recorder.text == expected);
  return 0;
}

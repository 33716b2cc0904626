// Over any text, the record filter shows the records that a plain split into records shows, however the
// text is cut: a record is a line beginning with "R" (or the text's first line) and the lines after it
// that do not, shown when a line holds a grep text (or there are none) and none holds an exclude text.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "output/select_stage.h"
#include "recording_sink.h"
#include "text/patterns.h"

namespace {

bool Holds(const std::string& record, const std::string& text) {
  return !text.empty() && record.find(text) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const std::size_t longestPiece = 1 + data[0] % 64;
  const std::string grep(1, static_cast<char>('a' + data[1] % 4));
  const std::string exclude =
      (data[1] & 0x10U) != 0 ? std::string(1, static_cast<char>('a' + (data[1] >> 5U) % 4)) : "";
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  // The plain split, line by line; a record's text without its line ends is searched.
  std::string expected;
  std::string record;
  std::string searched;
  const auto endRecord = [&] {
    if (!record.empty() && Holds(searched, grep) && !Holds(searched, exclude)) {
      expected += record;
    }
    record.clear();
    searched.clear();
  };
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (text[at] == 'R') {
      endRecord();
    }
    record += text.substr(at, end + 1 - at);
    searched += text.substr(at, end - at) + '\n';
    at = end + 1;
  }
  endRecord();

  const Patterns greps({grep}, false, true);
  const Patterns excludes(exclude.empty() ? std::vector<std::optional<std::string>>{}
                                          : std::vector<std::optional<std::string>>{exclude},
                          false, true);
  const Patterns recordStart({"^R"}, false, true, Patterns::Syntax::kExpressions);
  const Selection selection;
  Recorder recorder;
  SelectStage stage(SelectionRules{selection, greps, excludes, &recordStart}, recorder, recorder);
  WriteInPieces(stage, text, longestPiece);
  FUZZ_CHECK(recorder.text == expected);
  return 0;
}

// Over any text and any patterns, case-blind or not, UTF-8 or not, the line filter shows the lines that a
// plain search of each folded line shows, however the text is cut, and each pattern is found where a
// plain search finds it, also as the searches' plans change over many passes.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "output/filter_stage.h"
#include "platform/case_fold.h"
#include "recording_sink.h"
#include "text/patterns.h"

namespace {

// ASCII letters, and each whole UTF-8 character by the platform's own lower case, one at a time.
std::string PlainFold(std::string text, bool utf8) {
  for (char& c : text) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  for (std::size_t at = 0; utf8 && at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    const bool whole = length > 0 && at + length <= text.size() &&
                       std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at + 1),
                                   text.begin() + static_cast<std::ptrdiff_t>(at + length),
                                   [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U; });
    if (whole) {
      platform::FoldCharacter(std::span(text).subspan(at, length));
    }
    at += whole ? length : 1;
  }
  return text;
}

bool AnyFoundIn(const std::vector<std::string>& patterns, std::string_view line) {
  return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
    return line.find(pattern) != std::string_view::npos;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const bool ignoreCase = (data[0] & 1U) != 0;
  const bool utf8 = (data[0] & 2U) != 0;
  const bool grepping = (data[0] & 4U) != 0;
  const bool excluding = !grepping || (data[0] & 8U) != 0;
  const std::size_t longestPiece = 1 + data[1] % 64;
  // The text, then the patterns, each ended by a NUL; texts holding a line feed are refused as options.
  const std::vector<std::string> fields = SplitAtNuls(std::span(data + 2, size - 2));
  const std::string text = fields.front();
  std::vector<std::string> texts(fields.begin() + 1, fields.end());
  if (texts.empty() || texts.size() > 8 || std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
        return t.empty() || t.find('\n') != std::string::npos;
      })) {
    return 0;
  }
  const std::size_t half = grepping && excluding ? (texts.size() + 1) / 2 : texts.size();
  const std::vector<std::string> grepTexts(texts.begin(), texts.begin() + (grepping ? half : 0));
  const std::vector<std::string> excludeTexts(texts.begin() + (grepping ? half : 0), texts.end());
  const auto patternsOf = [&](const std::vector<std::string>& given) {
    return Patterns(std::vector<std::optional<std::string>>(given.begin(), given.end()), ignoreCase, utf8);
  };
  const Patterns greps = patternsOf(grepTexts);
  const Patterns excludes = patternsOf(excludeTexts);
  const auto plain = [&](std::string given) {
    return ignoreCase ? PlainFold(std::move(given), utf8) : given;
  };
  std::vector<std::string> plainGreps;
  std::vector<std::string> plainExcludes;
  std::transform(grepTexts.begin(), grepTexts.end(), std::back_inserter(plainGreps), plain);
  std::transform(excludeTexts.begin(), excludeTexts.end(), std::back_inserter(plainExcludes), plain);

  std::string expected;
  std::vector<std::size_t> expectedStarts;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string line = plain(text.substr(at, end - at));
    if ((plainGreps.empty() || AnyFoundIn(plainGreps, line)) && !AnyFoundIn(plainExcludes, line)) {
      expected += text.substr(at, end + 1 - at);
      expectedStarts.push_back(at);
    }
    at = end + 1;
  }

  const LineFilter filter(greps, excludes);
  Recorder recorder;
  FilterStage stage(filter, recorder, recorder);
  WriteInPieces(stage, text, longestPiece);
  FUZZ_CHECK(recorder.text == expected);
  std::vector<std::size_t> starts;
  filter.FindShownLines(text, starts);
  FUZZ_CHECK(starts == expectedStarts);

  // Every occurrence of every pattern, pass after pass, so that the plans are made again as they wear.
  const std::string folded = plain(text);
  const auto findsEveryOccurrence = [&](const Patterns& patterns,
                                        const std::vector<std::string>& plainTexts) {
    std::string scratch;
    const SearchedText searched = patterns.Searched(text, scratch);
    for (std::size_t index = 0; index < plainTexts.size(); ++index) {
      for (std::size_t from = 0;;) {
        const std::size_t found = patterns.Find(index, searched, from).first;
        FUZZ_CHECK(found == folded.find(plainTexts[index], from));
        if (found == std::string::npos) {
          break;
        }
        from = found + 1;
      }
    }
  };
  for (int pass = 0; pass < 48; ++pass) {
    findsEveryOccurrence(greps, plainGreps);
    findsEveryOccurrence(excludes, plainExcludes);
  }
  return 0;
}

#include "text/level.h"

#include <re2/re2.h>

#include <algorithm>
#include <string>

namespace {

struct LevelName {
  std::string_view name;
  // cppcheck-suppress unusedStructMember
  Level level;
};

constexpr std::array kNames{LevelName{"TRACE", Level::kTrace},   LevelName{"VRB", Level::kTrace},
                            LevelName{"DEBUG", Level::kDebug},   LevelName{"DBG", Level::kDebug},
                            LevelName{"INFO", Level::kInfo},     LevelName{"INF", Level::kInfo},
                            LevelName{"NOTICE", Level::kNotice}, LevelName{"WARN", Level::kWarn},
                            LevelName{"WARNING", Level::kWarn},  LevelName{"WRN", Level::kWarn},
                            LevelName{"ERROR", Level::kError},   LevelName{"ERR", Level::kError},
                            LevelName{"FATAL", Level::kFatal},   LevelName{"CRITICAL", Level::kFatal},
                            LevelName{"CRIT", Level::kFatal},    LevelName{"FTL", Level::kFatal}};

// Every name, as alternatives of an expression.
std::string Alternatives() {
  std::string names;
  for (const LevelName& name : kNames) {
    if (!names.empty()) {
      names += '|';
    }
    names += name.name;
  }
  return names;
}

}  // namespace

std::optional<Level> LevelNamed(std::string_view name) {
  const auto* found = std::find_if(kNames.begin(), kNames.end(), [&](const LevelName& known) {
    return known.name.size() == name.size() &&
           std::equal(name.begin(), name.end(), known.name.begin(), [](char given, char known) {
             return (given >= 'a' && given <= 'z' ? given - 'a' + 'A' : given) == known;
           });
  });
  return found == kNames.end() ? std::nullopt : std::optional(found->level);
}

// Byte by byte, as the words are ASCII in every character set a log is shown in.
LevelWords::LevelWords() {
  re2::RE2::Options options;
  options.set_encoding(re2::RE2::Options::EncodingLatin1);
  options.set_never_nl(true);
  const std::string names = "(?:" + Alternatives() + ")";
  std::string pattern = R"(\b)" + names;
  pattern += R"(\b|\[\s*(?i:)" + names;
  pattern += R"()\s*\]|(?i:level=)" + names;
  pattern += R"()\b)";
  words_ = std::make_unique<re2::RE2>(pattern, options);
}

LevelWords::~LevelWords() = default;

std::optional<Level> LevelWords::Of(std::string_view line) const {
  re2::StringPiece match;
  if (!words_->Match(re2::StringPiece(line.data(), line.size()), 0, line.size(), re2::RE2::UNANCHORED, &match,
                     1)) {
    return std::nullopt;
  }
  // The word alone, without the brackets or "level=" around it.
  std::string_view word(match.data(), match.size());
  word.remove_prefix(std::min(word.find_first_not_of("[ \t"), word.size()));
  if (const std::size_t equals = word.find('='); equals != std::string_view::npos) {
    word.remove_prefix(equals + 1);
  }
  word = word.substr(0, word.find_first_of("] \t"));
  return LevelNamed(word);
}

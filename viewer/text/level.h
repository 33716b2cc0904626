#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string_view>

namespace re2 {
class RE2;
}

// How severe a log line is, lowest first.
enum class Level { kTrace, kDebug, kInfo, kNotice, kWarn, kError, kFatal };

// The levels' names, lowest first, as --level takes them.
inline constexpr std::array<std::string_view, 7> kLevelNames{"TRACE", "DEBUG", "INFO", "NOTICE",
                                                             "WARN",  "ERROR", "FATAL"};

// The level a name or one of its other names (VRB, DBG, INF, WARNING, WRN, ERR, CRITICAL, CRIT, FTL)
// stands for, in any letter case; none for another word.
std::optional<Level> LevelNamed(std::string_view name);

// Finds a line's level: the first level word standing as a word in it, written in capitals (ERROR,
// [WARN], ERR:) or, in any case, inside brackets or after "level=" ([error], level=warn), so that the
// words of a message name none.
class LevelWords {
 public:
  LevelWords();
  ~LevelWords();
  LevelWords(const LevelWords&) = delete;
  LevelWords& operator=(const LevelWords&) = delete;

  // The line's level, none when it holds no level word.
  [[nodiscard]] std::optional<Level> Of(std::string_view line) const;

 private:
  std::unique_ptr<re2::RE2> words_;
};

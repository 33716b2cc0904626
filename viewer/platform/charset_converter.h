#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// Converts text from one character set into another with the system's converters, a piece at a time.
class CharsetConverter {
 public:
  // Why a conversion stopped: all input converted; the input ends inside a character; the input holds a
  // byte sequence invalid in its set at the stopping point; the output has no room for the next character.
  enum class Stop { kDone, kIncomplete, kInvalid, kOutputFull };
  struct Progress {
    std::size_t read = 0;
    std::size_t written = 0;
    Stop stop = Stop::kDone;
  };

  virtual ~CharsetConverter() = default;
  // Converts whole characters from `in` into `out`. A character the output set lacks is written as its
  // stand-in there (as `?`), so only the input's own faults stop it.
  virtual Progress Convert(std::span<const char> in, std::span<char> out) = 0;
  // Returns to the initial shift state, for a stateful set such as ISO-2022-KR, as a new text begins.
  virtual void Reset() = 0;
  // At the end of a text: writes into `out` (room for any one character) what the converter still holds
  // back, such as a letter kept for a combining mark that might follow (CP1258, CP1255), returns to the
  // initial state, and returns the bytes written.
  virtual std::size_t Finish(std::span<char> out) = 0;
  // The bytes of a line feed in the input set, as the system's converters write one: "\n" in the sets
  // built on ASCII, 0A 00 in UTF-16LE, 00 00 00 0A in UTF-32BE, 25 in EBCDIC.
  [[nodiscard]] virtual std::string_view LineFeed() const = 0;
  // The bytes of the input set's code unit, which an invalid sequence is skipped by: a line feed's.
  [[nodiscard]] std::size_t UnitSize() const { return LineFeed().size(); }
  // What stands for an invalid input byte: U+FFFD in the output set, or `?` where the set has none.
  [[nodiscard]] virtual std::string_view Replacement() const = 0;
};

// A converter from the set named `from` to the set named `to`; null when the system knows either not.
std::unique_ptr<CharsetConverter> OpenConverter(const char* from, const char* to);

// The character set decoded text is written in: the locale's on POSIX, UTF-8 on Windows.
std::string OutputCharset();
// The character set of the command line's arguments as the program reads them: the locale's on POSIX,
// UTF-8 on Windows (see platform/program_entry.h). The names of files and cmdtail's own messages are in
// it too.
std::string ArgumentCharset();
// The system's character set of text in bytes, which raw log bytes are taken to be in: the locale's on
// POSIX, the ANSI code page on Windows.
std::string SystemCharset();
// cmdtail's own text (a message, a header, the names in them) in the system's character set, for an
// output that is no console; on Windows a character the ANSI code page lacks as `?`. Unchanged on
// POSIX, where both sets are the locale's.
std::string InSystemCharset(std::string_view text);

// A character set's name in upper case without '-' and '_', so that "utf8" and "UTF-8" compare equal.
std::string CanonicalCharsetName(std::string_view name);

}  // namespace platform

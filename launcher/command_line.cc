#include "command_line.h"

#include <cstddef>
#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool NeedsQuotes(const char* argument) {
  return *argument == '\0' || std::strpbrk(argument, " \t\"") != nullptr;
}

// Appends to a fixed buffer, keeping count of what would not fit instead of writing past it.
class BoundedWriter {
 public:
  explicit BoundedWriter(std::span<char> out) : out_(out) {}

  void Put(char c) {
    if (used_ < out_.size()) {
      out_[used_] = c;
    }
    ++used_;
  }

  void Put(char c, std::size_t times) {
    for (std::size_t i = 0; i < times; ++i) {
      Put(c);
    }
  }

  void Put(const char* text) {
    for (; *text != '\0'; ++text) {
      Put(*text);
    }
  }

  // Ends the text with a NUL; false, with out left empty, when anything did not fit.
  bool Finish() {
    Put('\0');
    if (used_ > out_.size()) {
      if (!out_.empty()) {
        out_[0] = '\0';
      }
      return false;
    }
    return true;
  }

  [[nodiscard]] std::size_t used() const { return used_; }

 private:
  std::span<char> out_;
  std::size_t used_ = 0;
};

void PutQuoted(BoundedWriter& writer, const char* argument) {
  writer.Put('"');
  std::size_t backslashes = 0;
  for (; *argument != '\0'; ++argument) {
    if (*argument == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote itself escaped.
    if (*argument == '"') {
      writer.Put('\\', 2 * backslashes + 1);
    } else {
      writer.Put('\\', backslashes);
    }
    writer.Put(*argument);
    backslashes = 0;
  }
  // The closing quote follows: trailing backslashes are doubled so they stay literal.
  writer.Put('\\', 2 * backslashes);
  writer.Put('"');
}

void PutArgument(BoundedWriter& writer, const char* argument) {
  if (NeedsQuotes(argument)) {
    PutQuoted(writer, argument);
  } else {
    writer.Put(argument);
  }
}

// Reads one argument starting at a non-blank character; returns where reading stopped.
const char* ReadArgument(const char* line, BoundedWriter& writer) {
  bool quoted = false;
  while (*line != '\0' && (quoted || !IsBlank(*line))) {
    if (*line == '\\') {
      std::size_t backslashes = std::strspn(line, "\\");
      line += backslashes;
      if (*line == '"') {
        writer.Put('\\', backslashes / 2);
        if (backslashes % 2 == 0) {
          continue;  // the quote delimits, read on the next turn
        }
        writer.Put('"');
        ++line;
      } else {
        writer.Put('\\', backslashes);
      }
    } else if (*line == '"') {
      quoted = !quoted;
      ++line;
    } else {
      writer.Put(*line++);
    }
  }
  return line;
}

}  // namespace

bool BuildViewerCommandLine(std::span<char> out, const char* viewerPath, const char* logPath) {
  BoundedWriter writer(out);
  PutArgument(writer, viewerPath);
  writer.Put(" -f ");
  PutArgument(writer, logPath);
  return writer.Finish();
}

int SplitCommandLine(const char* commandLine, std::span<char> storage, std::span<char*> args) {
  std::size_t count = 0;
  std::size_t used = 0;
  const char* line = commandLine;
  for (;;) {
    line += std::strspn(line, " \t");
    if (*line == '\0') {
      break;
    }
    if (count + 1 >= args.size()) {
      return -1;
    }
    BoundedWriter writer(storage.subspan(used));
    line = ReadArgument(line, writer);
    if (!writer.Finish()) {
      return -1;
    }
    args[count++] = storage.data() + used;
    used += writer.used();
  }
  if (args.empty()) {
    return -1;
  }
  args[count] = nullptr;
  return static_cast<int>(count);
}

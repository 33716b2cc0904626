#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/output.h"

// The start of a line that a stage holds until the line is whole, so that the stage sees whole lines
// wherever reads cut the text, up to a bound: a longer line, and one whose start was let go, goes on
// as it is.
class HeldLine {
 public:
  // What the stage does with the text: whole lines, or a line's bytes that go on as they are.
  class Receiver {
   public:
    virtual ~Receiver() = default;
    // One or more whole lines, each with its newline but perhaps the last one of a file.
    virtual platform::WriteResult PutLines(std::string_view lines) = 0;
    // Bytes of a line that goes on as it is.
    virtual platform::WriteResult PutAsItIs(std::string_view piece) = 0;
    // The line under way is longer than the bound, whose first `limit` bytes are `start`: its bytes go on
    // as they are, from now on.
    virtual void TooLong(std::string_view start) { static_cast<void>(start); }
  };

  HeldLine(std::size_t limit, Receiver& receiver) : limit_(limit), receiver_(receiver) {}

  // Splits the bytes into whole lines for the receiver, holding the start of a line that has not ended.
  platform::WriteResult Take(std::string_view bytes);
  // Lets the held start go on as it is, and the rest of its line after it.
  platform::WriteResult LetGo();
  // The held start is a whole line: nothing can follow it at the end of a file.
  platform::WriteResult End();

 private:
  platform::WriteResult Hold(std::string_view start);

  std::size_t limit_;
  Receiver& receiver_;
  std::string held_;
  // The current line's start went on as it is.
  bool lineUnderWay_ = false;
};

#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The visible forms that keep a text's bytes from driving a terminal: the C0 controls and DEL in caret
// notation (ESC as ^[, a lone CR as ^M, DEL as ^?) and, in UTF-8 text, the C1 controls U+0080 to
// U+009F as <U+009B>. Tab, line feed and the CR of a CR LF stay as they are, and so does every other
// byte. Written once for the log's text (the visible stage) and for names and messages.

// Whether the byte may need a visible form.
bool NeedsCare(char c, bool utf8);

// Room for the longest visible form, "<U+0080>".
using FormRoom = std::array<char, sizeof "<U+0080>">;

struct VisibleForm {
  // The bytes of the text it stands for; 0 when that depends on a byte that has not come yet.
  std::size_t used = 0;
  std::string_view form;
};

// The visible form of the character at `at`, a byte that needs care. A CR or a C1 control's first byte
// last in the text waits for the next byte, unless the text is `whole`: then the CR is a lone one, and
// the first byte is shown as U+FFFD, which nothing after it can join.
VisibleForm FormOf(std::string_view text, std::size_t at, bool whole, FormRoom& room);

// A whole text in its visible form, after which nothing comes: a file's name, a message. With `marks`,
// a byte order mark is shown too, as <U+FEFF>, and so are tab and line feed, for a settings line quoted
// in a message.
std::string VisibleText(std::string_view text, bool utf8, bool marks = false);

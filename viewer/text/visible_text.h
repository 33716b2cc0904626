#pragma once

#include <string>
#include <string_view>

// UTF-8 or ASCII text as a message shows it: control bytes in caret notation (^L, DEL as ^?), C1
// controls and byte order marks as <U+0085> and <U+FEFF>, so that none is unseen or drives the terminal.
std::string VisibleText(std::string_view text);

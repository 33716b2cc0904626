#pragma once

#include <string>

// The bash completion of cmdtail, made from the table of options when the program is built: each long
// option (with its "=" when it takes a value) and each letter, the values of an option that takes a
// fixed few, the system's character sets for --encoding (as iconv -l names them when completing), and
// files otherwise.
std::string BashCompletion();

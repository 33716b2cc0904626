// The program's start on Windows: the C runtime's wide entry point (linked with -municode) splits the
// command line by the same rules as its narrow one, but keeps every character; the arguments go on as
// UTF-8.
#include "platform/program_entry.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

int wmain(int argc, wchar_t* argv[]) {
  std::vector<std::string> arguments(static_cast<std::size_t>(argc));
  std::transform(argv, argv + argc, arguments.begin(),
                 [](const wchar_t* argument) { return platform::win32::Utf8Text(argument); });
  std::vector<char*> pointers(arguments.size() + 1, nullptr);
  std::transform(arguments.begin(), arguments.end(), pointers.begin(),
                 [](std::string& argument) { return argument.data(); });
  return ProgramMain(argc, pointers.data());
}

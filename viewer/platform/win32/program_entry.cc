// The program's start on Windows: the C runtime's wide entry point (linked with -municode) splits the
// command line by the same rules as its narrow one, but keeps every character; the arguments go on as
// UTF-8.
#include "platform/program_entry.h"

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

int wmain(int argc, wchar_t* argv[]) {
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) {
    arguments.push_back(viewer_platform::win32::Utf8Text(argv[i]));
  }
  std::vector<char*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) {
    pointers.push_back(argument.data());
  }
  pointers.push_back(nullptr);
  return ProgramMain(argc, pointers.data());
}

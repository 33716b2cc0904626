// The program's start on POSIX: its arguments are the locale's bytes, as given.
#include "platform/program_entry.h"

int main(int argc, char* argv[]) { return ProgramMain(argc, argv); }

// Prints the output mode of the console it shares, so that a test can see what a program run before it
// left behind.
#include <windows.h>

#include <cstdio>

int main() {
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) == FALSE) {
    std::puts("no console");
    return 1;
  }
  std::printf("console output mode 0x%lx\n", static_cast<unsigned long>(mode));
  return 0;
}

// Writes the launcher's Korean message through the launcher's own output path, so that a test can see
// what the Windows runtime's text-mode standard output makes of its code page 949 bytes.
#include "messages.h"
#include "report.h"

int main() {
  FailWithPause(kNoReadPermission);
  return 0;
}

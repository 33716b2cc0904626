#pragma once

// Prints a failure message on standard output and holds the console for a second, so that a window
// which closes with the program can still be read.
void FailWithPause(const char* message);

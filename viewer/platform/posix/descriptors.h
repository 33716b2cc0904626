#pragma once

// What the POSIX platform sources share among themselves.
namespace platform::posix {

// The read end of the pipe that a stop request writes to, so that any poll() including it ends at once.
int WakeDescriptor();
// Standard output when it is a pipe or socket, whose reader may go away; -1 otherwise, which poll()
// passes over.
int OutputToWatch();

}  // namespace platform::posix

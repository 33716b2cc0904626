#pragma once

// Stop requests, one source per system (posix/, win32/).
namespace platform {

// Ignores SIGPIPE and turns stop requests (SIGINT, SIGTERM, console control events) into a flag;
// puts standard output into binary mode where the system has text modes.
bool PrepareProcess();
bool StopRequested();

}  // namespace platform

#pragma once

#include <optional>
#include <vector>

#include "follow/show_options.h"
#include "output/output_settings.h"
#include "platform/terminal.h"

// The run as the command line, the environment and the settings file ask for it, resolved once: what to
// do, the files, what to show of them and how their text goes out.
struct RunConfig {
  enum class Action { kShow, kHelp, kVersion };
  Action action = Action::kShow;
  // "-" stands for standard input.
  std::vector<const char*> files;
  ShowOptions show;
  OutputSettings output;
  // Lines holding an alert's text ring the terminal: alerts were asked for, and a terminal follows.
  bool alerting = false;
};

// Reads the settings file beside the program (unless --no-config), the command line and the
// environment, and decides colour on `session`'s terminal; empty after saying what is wrong, which
// ends the run with status 2.
std::optional<RunConfig> ResolveRun(int argc, char* argv[], platform::Session& session);

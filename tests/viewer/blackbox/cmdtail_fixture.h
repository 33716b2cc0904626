#pragma once

// What the black-box cases of cmdtail share: the built program following a log in a fresh temporary
// directory, run as the test program's command line says: natively, or as cmdtail.exe under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "midnight_case.h"

// Takes the build to run from the command line, --cmdtail=PATH [--wine=LOADER]; without one, the native
// build. False for any other argument.
bool ConfigureCmdtail(int argc, char* argv[]);
// The build the cases run. Cases whose suite's name begins with AnyBuild run against both builds; the
// others only natively.
const ViewerCommand& Cmdtail();
bool UnderWine();
// How long the first output of a start may take: under Wine, a program's first start can take a while.
std::chrono::milliseconds StartPatience();

// "line FIRST\n" to "line LAST\n".
std::string NumberedLines(int first, int last);

// Runs a shell command in `directory`; the test goes on only if it succeeded.
void Shell(const std::string& directory, const std::string& command);

class CmdtailTest : public ::testing::Test {
 protected:
  // cmdtail with the options, following `file`.
  static std::unique_ptr<ChildProcess> Start(std::vector<std::string> options, const std::string& file);
  // cmdtail following the log, which holds `initial`, once it has shown `shown`.
  std::unique_ptr<ChildProcess> Follow(const std::string& initial, const std::string& shown);

  TempDirectory directory_;
  const std::string log_ = directory_.File("app.log");
};

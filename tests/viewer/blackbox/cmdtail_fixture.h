#pragma once

// What the black-box cases of the native cmdtail share: the built program following a log in a fresh
// temporary directory.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

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

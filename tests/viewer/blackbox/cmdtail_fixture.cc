#include "cmdtail_fixture.h"

#include <cstdlib>

std::string NumberedLines(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    text += "line " + std::to_string(i) + "\n";
  }
  return text;
}

void Shell(const std::string& directory, const std::string& command) {
  ASSERT_EQ(std::system(("cd '" + directory + "' && " + command).c_str()), 0) << command;
}

std::unique_ptr<ChildProcess> CmdtailTest::Start(std::vector<std::string> options, const std::string& file) {
  options.insert(options.begin(), CMDTAIL_PATH);
  options.insert(options.end(), {"-f", file});
  return std::make_unique<ChildProcess>(options);
}

std::unique_ptr<ChildProcess> CmdtailTest::Follow(const std::string& initial, const std::string& shown) {
  WriteFile(log_, initial);
  auto viewer = Start({}, log_);
  EXPECT_TRUE(viewer->WaitForOut(shown));
  return viewer;
}

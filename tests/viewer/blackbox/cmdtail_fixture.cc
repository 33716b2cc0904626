#include "cmdtail_fixture.h"

#include <cstdlib>
#include <string_view>

namespace {

ViewerCommand g_cmdtail{{CMDTAIL_PATH}, [](const std::string& path) { return path; }, "\n", 5s};

}  // namespace

bool ConfigureCmdtail(int argc, char* argv[]) {
  std::string loader;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument(argv[i]);
    if (argument.starts_with("--cmdtail=")) {
      g_cmdtail.program = {std::string(argument.substr(10))};
    } else if (argument.starts_with("--wine=")) {
      loader = argument.substr(7);
    } else {
      return false;
    }
  }
  if (!loader.empty()) {
    // The first start of a Windows program under Wine can take a while.
    g_cmdtail = {{loader, g_cmdtail.program.back()}, ZDrivePath, "\r\n", 10s};
  }
  return true;
}

const ViewerCommand& Cmdtail() { return g_cmdtail; }

bool UnderWine() { return g_cmdtail.program.size() > 1; }

std::chrono::milliseconds StartPatience() { return UnderWine() ? 60s : g_cmdtail.patience; }

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
  options.insert(options.begin(), Cmdtail().program.begin(), Cmdtail().program.end());
  options.insert(options.end(), {"-f", Cmdtail().pathForm(file)});
  return std::make_unique<ChildProcess>(options);
}

std::unique_ptr<ChildProcess> CmdtailTest::Follow(const std::string& initial, const std::string& shown) {
  WriteFile(log_, initial);
  auto viewer = Start({}, log_);
  EXPECT_TRUE(viewer->WaitForOut(shown, StartPatience()));
  return viewer;
}

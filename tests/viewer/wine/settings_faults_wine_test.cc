// The Windows cmdtail.exe under Wine refusing a settings file that is not a regular file, without
// waiting on it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "child_process.h"

namespace {

class SettingsNotAFileUnderWine : public ::testing::TestWithParam<bool> {};

TEST_P(SettingsNotAFileUnderWine, IsRefused) {
  const bool fifo = GetParam();
  const TempDirectory directory;
  const std::string program = directory.File("cmdtail.exe");
  std::filesystem::copy_file(WINDOWS_CMDTAIL_PATH, program);
  const std::string settings = directory.File("cmdtail.conf");
  ASSERT_EQ(fifo ? mkfifo(settings.c_str(), 0600) : mkdir(settings.c_str(), 0700), 0);
  // The settings are read before any log is opened.
  ChildProcess viewer({WINE_LOADER, program, "app.log"});
  EXPECT_EQ(viewer.WaitForExit(60s), 2);
  EXPECT_EQ(viewer.out(), "");
  EXPECT_EQ(viewer.err(), fifo ? "cmdtail: cannot read cmdtail.conf: not a regular file\r\n"
                               : "cmdtail: cannot read cmdtail.conf: Is a directory\r\n");
}

INSTANTIATE_TEST_SUITE_P(Kinds, SettingsNotAFileUnderWine, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Fifo" : "Directory"; });

}  // namespace

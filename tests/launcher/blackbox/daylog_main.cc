#include <gtest/gtest.h>

#include <cstdio>

#include "daylog_harness.h"

int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  if (!Target::Configure(argc, argv) && !testing::GTEST_FLAG(list_tests)) {
    std::fputs("usage: daylog_blackbox --daylog=PATH --fake-viewer=PATH [--wine=PATH] [--memcheck]\n",
               stderr);
    return 2;
  }
  return RUN_ALL_TESTS();
}

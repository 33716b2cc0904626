#include <gtest/gtest.h>

#include <cstdio>

#include "cmdtail_fixture.h"

int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  if (!ConfigureCmdtail(argc, argv)) {
    std::fputs("usage: viewer_blackbox_tests [--cmdtail=PATH [--wine=LOADER]]\n", stderr);
    return 2;
  }
  return RUN_ALL_TESTS();
}

#!/usr/bin/env bash
# Builds the programs in the Release configuration that the packages and the benchmarks use:
# build-release (native) and, given "windows", build-windows-release (MinGW-w64). No tests are built
# there.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release -j "$(nproc)" >/dev/null
if [ "${1:-}" = windows ]; then
  cmake -S . -B build-windows-release --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build build-windows-release -j "$(nproc)" >/dev/null
fi

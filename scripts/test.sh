#!/usr/bin/env bash
# Builds everything and runs every test: the native suites (once more under valgrind memcheck), the
# same suites built with AddressSanitizer and UndefinedBehaviorSanitizer, the black-box cases against
# the Windows executables under Wine, the fuzz targets for a bounded time, static analysis, and the
# release packages.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
cmake --build build-windows -j "$jobs"
cmake -S . -B build -DDAYLOG_WINDOWS_BUILD_DIR="$PWD/build-windows"
cmake --build build -j "$jobs"
cmake -S . -B build-sanitize -DDAYLOG_SANITIZE=ON
cmake --build build-sanitize -j "$jobs"

# One Wine prefix for the whole run: its first start takes several seconds.
export WINEPREFIX="$PWD/build-windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver64 -k 2>/dev/null || true' EXIT
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1

(cd build && ctest -j "$jobs" --output-on-failure)
(cd build-sanitize && ctest -j "$jobs" --output-on-failure)
scripts/fuzz.sh 20
scripts/lint.sh
scripts/package.sh

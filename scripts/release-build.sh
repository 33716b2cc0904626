#!/usr/bin/env bash
# Builds the programs in the Release configuration that the packages and the benchmarks use, through
# the presets of the same names: build-release (native) and, given "windows", build-windows-release
# (MinGW-w64). No tests are built there.
set -euo pipefail
cd "$(dirname "$0")/.."
trees=(release)
if [ "${1:-}" = windows ]; then
  trees+=(windows-release)
fi
for tree in "${trees[@]}"; do
  cmake --preset "$tree" >/dev/null
  cmake --build --preset "$tree" -j "$(nproc)" >/dev/null
done

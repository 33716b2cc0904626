#!/usr/bin/env bash
# Builds the programs in the Release configuration without the tests, for the benchmarks, through the
# preset of the same name: build-release. (The packages come from the native and Windows trees, which
# build the programs in the Release configuration too.)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null

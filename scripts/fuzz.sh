#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (seconds per target, 20 by
# default) from its seed corpus in the repository. Any finding fails the run; the input that caused it
# is left in build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
CXX=clang++ cmake -S . -B build-fuzz -DDAYLOG_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)"
mkdir -p build-fuzz/findings
for seeds in tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  work="build-fuzz/corpus/$name"
  mkdir -p "$work"
  echo "fuzzing $name for ${seconds}s"
  "build-fuzz/tests/fuzz/${name}_fuzzer" -max_total_time="$seconds" -print_final_stats=0 \
    -artifact_prefix="build-fuzz/findings/$name-" "$work" "$seeds" 2>"build-fuzz/$name.log" ||
    { tail -40 "build-fuzz/$name.log"; echo "fuzzing $name found a fault" >&2; exit 1; }
  tail -1 "build-fuzz/$name.log"
done

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (the fuzz preset) and runs each for a bounded time (seconds per
# target, 20 by default) from its seed corpus in the repository, as many side by side as there are
# cores. Any finding fails the run; the input that caused it is left in build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
mkdir -p build-fuzz/findings

# One target's run; its log is build-fuzz/NAME.log.
fuzz() {
  local name=$1 work="build-fuzz/corpus/$1"
  mkdir -p "$work"
  if "build-fuzz/tests/fuzz/${name}_fuzzer" -max_total_time="$seconds" -print_final_stats=0 \
    -artifact_prefix="build-fuzz/findings/$name-" "$work" "tests/fuzz/corpus/$name" 2>"build-fuzz/$name.log"; then
    echo "fuzzed $name for ${seconds}s: $(tail -1 "build-fuzz/$name.log")"
  else
    tail -40 "build-fuzz/$name.log"
    echo "fuzzing $name found a fault" >&2
    return 1
  fi
}
export -f fuzz
export seconds
ls tests/fuzz/corpus | xargs -P "$(nproc)" -I{} bash -c 'fuzz {}'

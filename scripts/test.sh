#!/usr/bin/env bash
# Builds everything and runs every test: the native suites (the launcher's once more under valgrind
# memcheck) with the Windows executables' suites under Wine, the same native suites built with
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for a bounded time, static analysis,
# and the release packages, made from the native and Windows trees. Every tree is configured through
# its preset in CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
step() { echo "== $* ($(date +%T))"; }

# The steps that need neither the test trees' builds nor their suites run beside them, at the lowest
# priority, out of their way, taking the cores the builds leave idle and those of the suites, which
# mostly wait on the programs they run: each in a session of its own, its output kept in
# build-logs/NAME.log and shown when it is waited for. Where the kernel shares the CPU between sessions
# (autogroup), a session's share is lowered as well, or the nice value would count only inside it.
declare -A background=()
start() {  # name, command...
  local name=$1
  shift
  setsid sh -c '{ echo 19 >/proc/self/autogroup; } 2>/dev/null; exec nice -n 19 "$@"' sh "$@" \
    >"build-logs/$name.log" 2>&1 &
  background[$name]=$!
}
finish() {  # name
  local status=0
  wait "${background[$1]}" || status=$?
  unset "background[$1]"
  cat "build-logs/$1.log"
  return "$status"
}
cleanup() {
  local group
  for group in "${background[@]}"; do
    kill -- "-$group" 2>/dev/null || true
  done
  WINEPREFIX="$PWD/build/wineprefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
}
trap cleanup EXIT
mkdir -p build-logs

step "configuring the test trees"
for tree in windows native sanitize; do
  cmake --preset "$tree" >/dev/null
done
# Twelve seconds a target: the test command stays within six minutes on two cores; a deeper run is
# scripts/fuzz.sh SECONDS.
start fuzz scripts/fuzz.sh 12
# Static analysis needs only the configured trees' compile commands.
start lint scripts/lint.sh
for tree in windows native sanitize; do
  step "building the $tree tree"
  cmake --build --preset "$tree" -j "$jobs"
done
# The packages need only the native and Windows trees' programs, which are built now.
start packages scripts/package.sh

step "the native suites, and the Windows executables' under Wine"
ctest --preset native -j "$jobs"
step "the native suites under the sanitizers"
ctest --preset sanitize -j "$jobs"

step "fuzzing, run meanwhile"
finish fuzz
step "static analysis, run meanwhile"
finish lint
step "the packages, made meanwhile"
finish packages
step "done"

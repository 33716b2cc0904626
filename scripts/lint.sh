#!/usr/bin/env bash
# Static analysis of the programs in common/, launcher/ and viewer/: clang-tidy with the checks in .clang-tidy,
# on the POSIX sources with the native tree's compile commands and on the Win32 sources with the Windows
# tree's, against the MinGW-w64 headers, a source per core at a time; then cppcheck; and every C++ source
# in the layout of .clang-format. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

# The trees' compile commands: a tree built since its last change has them up to date, and one not yet
# configured is configured here (nothing is built). Left alone otherwise, as their suites may be running.
for tree in native:build windows:build-windows; do
  [ -f "${tree#*:}/compile_commands.json" ] || cmake --preset "${tree%%:*}" >/dev/null
done

mapfile -t posix_sources < <(git ls-files 'common/*.cc' 'launcher/*.cc' 'viewer/*.cc' | grep -v '/win32/')
mapfile -t win32_sources < <(git ls-files '*/win32/*.cc' | grep -E '^(common|launcher|viewer)/')
# clang-tidy tells for each source how many warnings it met, shown or not ("N warnings generated.",
# nearly all of them in headers it does not report on); those counts are dropped. A finding is shown
# whole and fails the run. Each source's findings come out together, when its run ends.
tidy() {
  printf '%s\n' "$@" | xargs -P "$(nproc)" -n 1 bash -c 'output=$(clang-tidy --quiet "$@" 2>&1)
    status=$?
    [ -z "$output" ] || sed -E "/^[0-9]+ warnings? generated\.$/d" <<<"$output"
    exit $status' tidy "${options[@]}"
}
# The Release trees are compiled with GCC's link-time optimisation, whose options clang does not take.
lto=--extra-arg=-Wno-ignored-optimization-argument
options=(-p build "$lto")
tidy "${posix_sources[@]}"

mingw_cxx=/usr/lib/gcc/x86_64-w64-mingw32/$(x86_64-w64-mingw32-g++-posix -dumpversion)/include/c++
options=(-p build-windows "$lto" --extra-arg=--target=x86_64-w64-mingw32
  --extra-arg=-isystem"$mingw_cxx" --extra-arg=-isystem"$mingw_cxx/x86_64-w64-mingw32")
tidy "${win32_sources[@]}"

scripts/check-layers.sh
cppcheck --enable=warning,style,performance,portability --std=c++20 --inline-suppr --error-exitcode=1 \
  --quiet -I . -I launcher -I viewer common launcher viewer
git ls-files '*.cc' '*.h' | xargs clang-format --dry-run --Werror
echo "clang-tidy, cppcheck and clang-format: no findings"

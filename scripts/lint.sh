#!/usr/bin/env bash
# Static analysis of the programs in common/, launcher/ and viewer/: clang-tidy with the checks in .clang-tidy,
# on the POSIX sources natively and on the Win32 sources against the MinGW-w64 headers, then cppcheck;
# and every C++ source in the layout of .clang-format. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-tidy -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBUILD_TESTING=OFF >/dev/null
# The tree is usually configured already, its toolchain file read then: an unused-variable warning would
# only make noise.
cmake -S . -B build-windows --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

mapfile -t posix_sources < <(git ls-files 'common/*.cc' 'launcher/*.cc' 'viewer/*.cc' | grep -v '/win32/')
mapfile -t win32_sources < <(git ls-files '*/win32/*.cc' | grep -E '^(common|launcher|viewer)/')
# clang-tidy tells for each source how many warnings it met, shown or not ("N warnings generated.",
# nearly all of them in headers it does not report on); those counts are dropped. A finding is shown
# whole and fails the run.
tidy() {
  clang-tidy --quiet "$@" 2>&1 | sed -E '/^[0-9]+ warnings? generated\.$/d'
}
tidy -p build-tidy "${posix_sources[@]}"

mingw_cxx=/usr/lib/gcc/x86_64-w64-mingw32/$(x86_64-w64-mingw32-g++-posix -dumpversion)/include/c++
tidy -p build-windows --extra-arg=--target=x86_64-w64-mingw32 \
  --extra-arg=-isystem"$mingw_cxx" --extra-arg=-isystem"$mingw_cxx/x86_64-w64-mingw32" "${win32_sources[@]}"

scripts/check-layers.sh
cppcheck --enable=warning,style,performance,portability --std=c++20 --inline-suppr --error-exitcode=1 \
  --quiet -I . -I launcher -I viewer common launcher viewer
git ls-files '*.cc' '*.h' | xargs clang-format --dry-run --Werror
echo "clang-tidy, cppcheck and clang-format: no findings"

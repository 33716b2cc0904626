#!/usr/bin/env bash
# Counts the instructions of one launching run of daylog beside a plain C program doing the same work,
# with valgrind's callgrind (instruction counts repeat exactly from run to run). The viewer started is
# /bin/true; only the launcher itself is counted.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release --target daylog >/dev/null
work=$(mktemp -d /tmp/daylog-bench-XXXXXX)
trap 'rm -rf -- "$work"' EXIT
gcc -O2 -o "$work/plain" bench/plain_launcher.c

home="$work/home"
mkdir -p "$home/bin" "$home/log"
ln -s /bin/true "$home/bin/cmdtail.exe"
touch "$home/log/web.$(date +%Y%m%d)"

instructions() {
  valgrind --tool=callgrind --callgrind-out-file="$work/out" "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
printf '%-28s %12s\n' program instructions
printf '%-28s %12s\n' "daylog (C++, Release)" "$(instructions build-release/launcher/daylog "$home" web)"
printf '%-28s %12s\n' "plain C, same work" "$(instructions "$work/plain" "$home" web)"

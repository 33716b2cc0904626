#!/bin/sh
# Measures cmdtail against the system's tail: time to show the last lines of a 1 GiB log, throughput
# and delay while following, peak memory and CPU while following a quiet log; and its filters against
# grep -F on a 1 GiB log of varied lines, and following with highlighted words. A few minutes after the
# build; the 1 GiB log lives in a temporary directory that is removed at the end. cmdtail is the
# Release build the packages are made from (scripts/release-build.sh).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/viewer-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 1' HUP INT PIPE TERM

"$root/scripts/release-build.sh"
g++ -std=c++20 -O2 -Wall -Wextra -o "$work/probe" "$root/bench/viewer_bench_probe.cc"
viewer=$root/build-release/viewer/cmdtail.exe
probe=$work/probe

median_of_five() {
  for run in 1 2 3 4 5; do "$probe" "$@"; done | sort -n | sed -n 3p
}

# The median of five wall-clock times of a shell command, in milliseconds.
milliseconds_of() {
  for run in 1 2 3 4 5; do
    start=$(date +%s%N)
    sh -c "$1"
    echo $((($(date +%s%N) - start) / 1000000))
  done | sort -n | sed -n 3p
}

echo "## Last 10 lines"
line=$(printf 'log line %091d' 0)
yes "$line" | head -n 10485 >"$work/small.log"
yes "$line" | head -n 10631029 >"$work/big.log"
for log in small big; do
  size=$(du -h "$work/$log.log" | cut -f1)
  echo "- $size log, cmdtail -n 10 -f: $(median_of_five first-lines 10 -- "$viewer" -n 10 -f "$work/$log.log")"
  echo "- $size log, tail -n 10:       $(median_of_five first-lines 10 -- tail -n 10 "$work/$log.log")"
done
rm -f "$work/big.log"

echo "## Filtering a 1 GiB log of varied lines (median of 5)"
# Ten thousand lines of levels, workers, request numbers, times and users, one in 997 holding
# "timeout", repeated 1300 times: 1.0 GiB.
awk 'BEGIN {
  split("INFO INFO DEBUG INFO WARN INFO ERROR", level, " "); split("alice bob carol dave erin", user, " ")
  for (i = 0; i < 10000; i++)
    printf "2026-12-09 10:%02d:%02d.%03d %-5s [worker-%d] request %d served in %d ms user=%s%s\n",
      int(i / 600) % 60, int(i / 10) % 60, i % 1000, level[i % 7 + 1], i % 8, 100000 + i, i * 37 % 900,
      user[i % 5 + 1], (i % 997 == 0 ? " upstream timeout" : "")
}' >"$work/chunk.log"
for _ in $(seq 1300); do cat "$work/chunk.log"; done >"$work/varied.log"
varied=$work/varied.log
for text in timeout alice; do
  echo "- cmdtail -n +1 --grep=$text:    $(milliseconds_of "'$viewer' -n +1 --grep=$text '$varied' >/dev/null") ms"
  echo "- grep -F $text | cat:           $(milliseconds_of "grep -F $text '$varied' | cat >/dev/null") ms"
done
echo "- cmdtail -n +1 -i --grep=TIMEOUT: $(milliseconds_of "'$viewer' -n +1 -i --grep=TIMEOUT '$varied' >/dev/null") ms"
echo "- grep -F -i TIMEOUT | cat:        $(milliseconds_of "grep -F -i TIMEOUT '$varied' | cat >/dev/null") ms"
echo "- cmdtail -n 10 --grep=nowhere:    $(milliseconds_of "'$viewer' -n 10 --grep=nowhere '$varied' >/dev/null") ms"
echo "- grep -F nowhere | tail -n 10:    $(milliseconds_of "grep -F nowhere '$varied' | tail -n 10 >/dev/null") ms"
echo "- cmdtail -n 10 --grep=timeout:    $(milliseconds_of "'$viewer' -n 10 --grep=timeout '$varied' >/dev/null") ms"
rm -f "$varied" "$work/chunk.log"

for lines in 1 1000; do
  echo "## Following a log appended to as fast as a writer can, $lines 100-byte line(s) a write"
  for viewer_command in "$viewer" tail; do
    : >"$work/busy.log"
    echo "- $(basename "$viewer_command"): $("$probe" throughput "$work/busy.log" 256 "$lines" -- "$viewer_command" -n 0 -f "$work/busy.log")"
  done
  # Words no line holds: the search for them is the whole cost, as for most lines of a real log.
  : >"$work/busy.log"
  echo "- cmdtail.exe, colour and two highlighted words: $("$probe" throughput "$work/busy.log" 256 "$lines" -- "$viewer" --color=always --highlight=timeout --highlight=refused -n 0 -f "$work/busy.log")"
done
rm -f "$work/busy.log"

echo "## Delay from an append to its display (50 appends)"
: >"$work/ping.log"
echo "- cmdtail: $("$probe" latency "$work/ping.log" 50 -- "$viewer" -n 0 -f "$work/ping.log")"
echo "- tail -f: $("$probe" latency "$work/ping.log" 50 -- tail -n 0 -f "$work/ping.log")"

echo "## A quiet log followed for 10 s"
echo quiet >"$work/quiet.log"
"$probe" quiet-cpu 10 -- "$viewer" -f "$work/quiet.log" >"$work/cmdtail.quiet" &
"$probe" quiet-cpu 10 -- tail -f "$work/quiet.log" >"$work/tail.quiet" &
wait
echo "- cmdtail: $(cat "$work/cmdtail.quiet")"
echo "- tail -f: $(cat "$work/tail.quiet")"

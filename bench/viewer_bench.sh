#!/bin/sh
# Measures cmdtail against the system's tail: time to show the last lines of a 1 GiB log, throughput
# and delay while following, peak memory and CPU while following a quiet log. Under a minute after the
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

for lines in 1 1000; do
  echo "## Following a log appended to as fast as a writer can, $lines 100-byte line(s) a write"
  for viewer_command in "$viewer" tail; do
    : >"$work/busy.log"
    echo "- $(basename "$viewer_command"): $("$probe" throughput "$work/busy.log" 256 "$lines" -- "$viewer_command" -n 0 -f "$work/busy.log")"
  done
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

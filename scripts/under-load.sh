#!/usr/bin/env bash
# Runs a command RUNS times while a busy loop keeps every core loaded, and counts the runs that
# failed: the way to show that a race is gone. Usage: scripts/under-load.sh RUNS COMMAND [ARGS...]
set -uo pipefail
runs=$1
shift
loops=()
for _ in $(seq "$(nproc)"); do
  (while :; do :; done) &
  loops+=($!)
done
trap 'kill "${loops[@]}" 2>/dev/null' EXIT
failed=0
for run in $(seq "$runs"); do
  "$@" >/tmp/under-load.$$.log 2>&1 || { failed=$((failed + 1)); echo "run $run failed:"; tail -20 /tmp/under-load.$$.log; }
done
rm -f /tmp/under-load.$$.log
echo "$((runs - failed)) of $runs runs passed under load"
[ "$failed" -eq 0 ]

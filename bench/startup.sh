#!/usr/bin/env bash
# Start-up cost, counted in instructions with valgrind's callgrind (counts repeat exactly from run to
# run, where times on a shared machine do not):
# - one launching run of daylog beside a plain dynamically linked C program doing the same work
#   (bench/plain_launcher.c); the viewer started is /bin/true, not counted;
# - cmdtail showing the last 10 lines of a 1 GiB log beside the system's tail doing the same, with the
#   same output, and the peak resident memory of each (GNU time).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/release-build.sh
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
# The median of five runs, as the address space's layout changes from run to run. GNU time's own fork
# is small, where a larger measuring parent would set the floor of what it reads.
peak_memory() {
  for _ in 1 2 3 4 5; do /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null; done | sort -n | sed -n '3s/$/ KiB/p'
}
row() { printf '%-34s %12s %12s\n' "$@"; }

row program instructions "peak memory"
row "daylog (launching run)" "$(instructions build-release/launcher/daylog "$home" web)" ""
row "plain dynamic C, same work" "$(instructions "$work/plain" "$home" web)" ""

log="$work/big.log"
{ yes "$(printf 'log line %091d' 0)" || true; } | head -n 10631029 >"$log"
cmdtail=build-release/viewer/cmdtail.exe
if ! cmp -s <("$cmdtail" -n 10 "$log") <(tail -n 10 "$log"); then
  echo "cmdtail -n 10 and tail -n 10 differ" >&2
  exit 1
fi
row "cmdtail -n 10, 1 GiB log" "$(instructions "$cmdtail" -n 10 "$log")" "$(peak_memory "$cmdtail" -n 10 "$log")"
row "tail -n 10, 1 GiB log" "$(instructions tail -n 10 "$log")" "$(peak_memory tail -n 10 "$log")"

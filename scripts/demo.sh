#!/usr/bin/env bash
# Builds daylog and cmdtail, lays out a sample project home with cmdtail as its viewer and today's log
# holding a few code page 949 lines, opens the log with daylog while a writer appends a line a second,
# watches for about ten seconds, then stops writer and viewer and removes the sample home. Leaves no
# process behind. The Korean text is shown as its code page 949 bytes, unconverted.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target daylog cmdtail >/dev/null

root=$(mktemp -d /tmp/daylog-demo-XXXXXX)
home="$root/sample project"
writer=""
cleanup() {
  if [ -n "$writer" ]; then
    kill "$writer" 2>/dev/null || true
    wait "$writer" 2>/dev/null || true
  fi
  # The viewer outlives daylog; its path in the unique sample home singles it out.
  for pid in $(pgrep -f -- "$home/bin/cmdtail.exe" || true); do
    kill "$pid" 2>/dev/null || true
  done
  rm -rf -- "$root"
}
trap cleanup EXIT

mkdir -p "$home/bin" "$home/log"
cp build/viewer/cmdtail.exe "$home/bin/cmdtail.exe"
log="$home/log/web.$(date +%Y%m%d)"
# "server started", "waiting on port 8080" and "request handled", in code page 949.
printf '09:00:01 \xbc\xad\xb9\xf6 \xbd\xc3\xc0\xdb\n09:00:02 \xc6\xf7\xc6\xae 8080 \xb4\xeb\xb1\xe2 \xc1\xdf\n' >"$log"

(
  for i in $(seq 1 10); do
    sleep 1
    printf '09:00:%02d \xbf\xe4\xc3\xbb \xc3\xb3\xb8\xae %d\n' $((i + 2)) "$i" >>"$log"
  done
) &
writer=$!

echo "\$ daylog '$home' web"
build/launcher/daylog "$home" web
wait "$writer"
writer=""
sleep 0.5
echo "\$ daylog '$home' missing"
build/launcher/daylog "$home" missing

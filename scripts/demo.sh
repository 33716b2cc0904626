#!/usr/bin/env bash
# Builds daylog, lays out a sample project home with today's log and the system's tail as its viewer,
# opens the log with daylog, appends a line while the viewer follows, then stops the viewer and
# removes the sample home. Lasts a few seconds and leaves no process behind.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target daylog >/dev/null

root=$(mktemp -d /tmp/daylog-demo-XXXXXX)
home="$root/sample project"
cleanup() {
  pkill -f -- "$home/bin/cmdtail.exe" 2>/dev/null || true
  rm -rf -- "$root"
}
trap cleanup EXIT

mkdir -p "$home/bin" "$home/log"
ln -s "$(command -v tail)" "$home/bin/cmdtail.exe"
log="$home/log/web.$(date +%Y%m%d)"
printf '%s\n' "09:00:01 server started" "09:00:02 listening on port 8080" >"$log"

echo "\$ daylog '$home' web"
build/launcher/daylog "$home" web
sleep 2
echo "09:00:03 first request served" >>"$log"
sleep 2
echo "\$ daylog '$home' missing"
build/launcher/daylog "$home" missing

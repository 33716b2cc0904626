#!/usr/bin/env bash
# Builds daylog and cmdtail, lays out a sample project home with cmdtail as its viewer and today's log
# holding a few code page 949 lines (a warning and an error among them), opens the log with daylog
# while a writer appends a line a second, watches for about ten seconds, then stops writer and viewer
# and removes the sample home. Leaves no process behind. The home's bin/cmdtail.conf has cmdtail read the
# log as code page 949, shown in the terminal's character set, highlight the word for "request" and raise
# an alert for ERROR, and take the log in records, so that each error's stack trace goes with it; on a
# terminal the warning is yellow and the errors red with their traces, and the writer's error record
# rings the terminal's bell once (the error among the start's lines does not).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
source scripts/process_group.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target daylog cmdtail >/dev/null

root=$(mktemp -d /tmp/daylog-demo-XXXXXX)
home="$root/sample project"
writer=""
viewers=""
cleanup() {
  if [ -n "$writer" ]; then
    kill "$writer" 2>/dev/null || true
    wait "$writer" 2>/dev/null || true
  fi
  if [ -n "$viewers" ]; then
    end_group "$viewers"
  fi
  rm -rf -- "$root"
}
trap cleanup EXIT

mkdir -p "$home/bin" "$home/log"
cp build/viewer/cmdtail.exe "$home/bin/cmdtail.exe"
# The viewer's own settings, in UTF-8: the highlighted word is 요청, "request", a new ERROR line
# raises an alert, and a stack trace belongs to the record its line starts.
printf '# This project'"'"'s viewer\nencoding=CP949\nhighlight=\xec\x9a\x94\xec\xb2\xad\nalert=ERROR\nrecords\n' \
  >"$home/bin/cmdtail.conf"
log="$home/log/web.$(date +%Y%m%d)"
# "server started", "waiting on port 8080", a warning "cache is full", an error "database connection
# failed" with its stack trace, then "request handled" from the writer, its sixth line an error "request
# timed out" with its own, in code page 949.
printf '09:00:01 \xbc\xad\xb9\xf6 \xbd\xc3\xc0\xdb\n09:00:02 \xc6\xf7\xc6\xae 8080 \xb4\xeb\xb1\xe2 \xc1\xdf\n' >"$log"
printf '09:00:02 WARN \xc4\xb3\xbd\xc3\xb0\xa1 \xb0\xa1\xb5\xe6 \xc2\xfc\n' >>"$log"
printf '09:00:02 ERROR \xb5\xa5\xc0\xcc\xc5\xcd\xba\xa3\xc0\xcc\xbd\xba \xbf\xac\xb0\xe1 \xbd\xc7\xc6\xd0\n' >>"$log"
printf '\tat db.Pool.connect(Pool.java:42)\n\tat web.Main.start(Main.java:9)\n' >>"$log"

(
  for i in $(seq 1 10); do
    sleep 1
    if [ "$i" -eq 6 ]; then
      printf '09:00:%02d ERROR \xbf\xe4\xc3\xbb \xbd\xc3\xb0\xa3 \xc3\xca\xb0\xfa %d\n\tat web.Handler.serve(Handler.java:17)\n' \
        $((i + 2)) "$i" >>"$log"
    else
      printf '09:00:%02d \xbf\xe4\xc3\xbb \xc3\xb3\xb8\xae %d\n' $((i + 2)) "$i" >>"$log"
    fi
  done
) &
writer=$!

# daylog starts the viewer with nothing but "-f LOG"; the rest comes from bin/cmdtail.conf.
unset CMDTAIL_ENCODING
echo "\$ cat '$home/bin/cmdtail.conf'"
cat "$home/bin/cmdtail.conf"
echo "\$ daylog '$home' web"
# In a session and process group of its own, which the viewer it starts stays in.
setsid build/launcher/daylog "$home" web &
viewers=$!
wait "$viewers"
wait "$writer"
writer=""
sleep 0.5
echo "\$ daylog '$home' missing"
build/launcher/daylog "$home" missing

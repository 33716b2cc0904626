#!/bin/sh
# Measures cmdtail against the system's tail: time to show the last lines of a 1 GiB log, throughput
# and delay while following, peak memory and CPU while following a quiet log; and its filters against
# grep -F on a 1 GiB log of varied lines, and following with highlighted words. A few minutes after the
# build; the 1 GiB log lives in a temporary directory that is removed at the end. cmdtail is the
# Release build, built as the packages' programs are (scripts/release-build.sh).
#   bench/viewer_bench.sh users   only the filters and decoding on a log like our users' (see users_log),
#                                 which needs valgrind for the instruction counts
#   bench/viewer_bench.sh expressions   only the regular expressions' rows of those
#   bench/viewer_bench.sh costs   only what a followed line, many last lines, a stream and a quiet night
#                                 cost beside tail (valgrind and strace)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/viewer-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 1' HUP INT PIPE TERM

"$root/scripts/release-build.sh"
g++ -std=c++20 -O2 -Wall -Wextra -o "$work/probe" "$root/bench/viewer_bench_probe.cc"
# BENCH_CMDTAIL measures another build of cmdtail (an earlier one, for figures before a change).
viewer=${BENCH_CMDTAIL:-$root/build-release/viewer/cmdtail.exe}
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

# A log shaped like our users': a timestamp, a level, a worker, a user, a request number, a few Korean
# words, a status word and an elapsed=NNNms field in each of 150,000 lines (17 MB), one in 997 with the
# status "timeout"; UTF-8, and a code page 949 copy.
users_log() {
  LC_ALL=C.UTF-8 awk 'BEGIN {
    split("INFO INFO DEBUG INFO WARN INFO ERROR INFO", level, " ")
    split("alice bob carol dave erin 김민수 이서연", user, " ")
    split("요청 처리 완료|사용자 로그인 성공|주문 내역 조회 중|결제 승인 대기|세션 갱신 후 응답 전송|데이터 저장 재시도", words, "|")
    split("ok ok done ok retry ok", status, " ")
    for (i = 0; i < 150000; i++)
      printf "2026-12-09 10:%02d:%02d.%03d %-5s [worker-%d] user=%s req=%d %s status=%s elapsed=%dms\n",
        int(i / 2500) % 60, int(i / 42) % 60, i % 1000, level[i % 8 + 1], i % 8, user[i % 7 + 1], 100000 + i,
        words[i % 6 + 1], (i % 997 == 0 ? "timeout" : status[i % 6 + 1]), i * 37 % 900
  }' >"$work/users.log"
  iconv -f UTF-8 -t CP949 "$work/users.log" >"$work/users.cp949"
}

# Instructions (callgrind, the same from run to run however busy the machine is) of a command whose
# standard output goes to a file.
instructions_of() {
  # grep finding nothing ends with status 1.
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" >"$work/out" 2>"$work/callgrind.log" || true
  sed -n 's/.*Collected : //p' "$work/callgrind.log"
}

# Medians of 21 paired wall-clock runs, in milliseconds, of two commands each writing to a file: "A B".
paired_milliseconds() {
  for run in $(seq 21); do
    for side in a b; do
      command=$1
      [ "$side" = b ] && command=$2
      start=$(date +%s%N)
      sh -c "$command" >"$work/out.$side" || true
      printf '%s ' $((($(date +%s%N) - start) / 1000000))
    done
    echo
  done >"$work/pairs"
  echo "$(cut -d' ' -f1 "$work/pairs" | sort -n | sed -n 11p) $(cut -d' ' -f2 "$work/pairs" | sort -n | sed -n 11p)"
}

millions() { awk "BEGIN { printf \"%.1f\", $1 / 1000000 }"; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / ($2 > 0 ? $2 : 1) }"; }

# One case beside the classic tool: instructions of each, their ratio, the wall medians and whether the
# outputs are the same bytes.
beside() {
  name=$1 ours=$2 theirs=$3
  # The commands are read as the shell reads them, quotes and all.
  ours_ir=$(eval "instructions_of $ours")
  theirs_ir=$(eval "instructions_of $theirs")
  set -- $(paired_milliseconds "$ours" "$theirs")
  same=different
  cmp -s "$work/out.a" "$work/out.b" && same=same
  echo "- $name: cmdtail $(millions "$ours_ir") M instructions, $1 ms; $(echo "$theirs" | cut -d' ' -f1-2)" \
    "$(millions "$theirs_ir") M, $2 ms; ratios $(ratio "$ours_ir" "$theirs_ir") and $(ratio "$1" "$2"); $same output"
}

users_benchmarks() {
  echo "## Filters and decoding on a log like our users' (LC_ALL=C.UTF-8; 150,000 lines, 17 MB)"
  users_log
  log=$work/users.log
  bytes=$(wc -c <"$log")
  export LC_ALL=C.UTF-8
  beside "rare word" "$viewer -n +1 --grep=timeout $log" "grep -F timeout $log"
  beside "rare word, any case" "$viewer -n +1 -i --grep=TIMEOUT $log" "grep -F -i TIMEOUT $log"
  beside "Korean word, any case" "$viewer -n +1 -i --grep=오류 $log" "grep -F -i 오류 $log"
  ours=$viewer theirs="grep -F"
  for word in timeout refused panic 오류 denied overflow deadlock NullPointer 실패 corrupt; do
    ours="$ours --grep=$word" theirs="$theirs -e $word"
  done
  beside "10 words" "$ours -n +1 $log" "$theirs $log"
  beside "code page 949" "$viewer -n +1 --encoding=CP949 $work/users.cp949" "iconv -f CP949 -t UTF-8 $work/users.cp949"
  beside "last 10 lines" "$viewer -n 10 $log" "tail -n 10 $log"
  for highlights in "" "--highlight=timeout --highlight=refused" "--highlight=요청 --highlight=deadlock"; do
    # shellcheck disable=SC2086
    colour=$(instructions_of "$viewer" -n +1 --color=always $highlights "$log")
    echo "- --color=always $highlights: $(awk "BEGIN { printf \"%.1f\", $colour / $bytes }") instructions a byte"
  done
  # A 4,000-byte text and 10 MiB of near misses (left out with BENCH_NO_NEAR_MISSES=1, for an earlier
  # build that takes minutes there): candidates that fail at once, then long runs that match
  # all of the text but its first byte.
  awk 'BEGIN { text = "b"; for (i = 0; i < 3999; i++) text = text "a"; print text }' >"$work/long.text"
  awk 'BEGIN { run = ""; for (i = 0; i < 65000; i++) run = run "a"
    for (block = 0; block < 160; block++) { for (i = 0; i < 256; i++) printf "bc"; print run } }' >"$work/near.log"
  long=$(cat "$work/long.text")
  [ -n "${BENCH_NO_NEAR_MISSES:-}" ] ||
    beside "4,000-byte text, 10 MiB of near misses" "$viewer -n +1 --grep=$long $work/near.log" "grep -F $long $work/near.log"
  expression_benchmarks
  unset LC_ALL
  rm -f "$work/users.log" "$work/users.cp949" "$work/near.log" "$work/out" "$work/out.a" "$work/out.b"
}

# Regular expressions on the users' log beside grep -E, and two that make backtracking engines explode,
# over 10 MiB of near misses, in instructions a byte.
expression_benchmarks() {
  log=$work/users.log
  beside "expression, a field" "$viewer -n +1 -E '--grep=elapsed=[0-9]{4}ms' $log" \
    "grep -E 'elapsed=[0-9]{4}ms' $log"
  beside "expression, alternatives" "$viewer -n +1 -E '--grep=ERROR|FATAL' $log" "grep -E 'ERROR|FATAL' $log"
  beside "expression, any case" "$viewer -n +1 -E -i '--grep=time ?out|refused' $log" \
    "grep -E -i 'time ?out|refused' $log"
  awk 'BEGIN { a = ""; x = ""; for (i = 0; i < 1000; i++) { a = a "a"; x = x "x" }
    for (i = 0; i < 5240; i++) print a; for (i = 0; i < 5240; i++) print x }' >"$work/misses.log"
  misses=$(wc -c <"$work/misses.log")
  for expression in '(a|aa)*b' '(x+x+)+y'; do
    ours=$(instructions_of "$viewer" -n +1 -E "--grep=$expression" "$work/misses.log")
    echo "- $expression over 10 MiB of near misses: $(awk "BEGIN { printf \"%.1f\", $ours / $misses }") instructions a byte"
  done
  rm -f "$work/misses.log"
}

# A followed line's cost beside tail -F's, one write a line at 500 lines a second, slow enough that
# each line is a wake-up of its own even under valgrind or strace: user instructions (callgrind) and
# system calls (strace) a line, as the difference between 3000 lines and 1000, so that the start and
# the end cancel out. TEXT is the line; the command follows LOG.
per_followed_line() {
  text=$1 command=$2
  for tool in callgrind strace; do
    for lines in 1000 3000; do
      : >"$work/followed.log"
      run=$(echo "$command" | sed "s#LOG#$work/followed.log#")
      if [ "$tool" = callgrind ]; then
        # shellcheck disable=SC2086
        "$probe" paced "$work/followed.log" "$work/out" "$lines" 500 "$text" -- \
          valgrind --tool=callgrind --callgrind-out-file=/dev/null --log-file="$work/tool.log" $run >/dev/null
        sed -n 's/.*Collected : //p' "$work/tool.log"
      else
        # shellcheck disable=SC2086
        "$probe" paced "$work/followed.log" "$work/out" "$lines" 500 "$text" -- \
          strace -f -c -o "$work/tool.log" $run >/dev/null
        awk '$NF == "total" { print $4 }' "$work/tool.log"
      fi
    done
  done | xargs | awk '{ printf "%d instructions and %.2f system calls a line", ($2 - $1) / 2000, ($4 - $3) / 2000 }'
}

# System calls made by a command following three quiet logs dated today, counted for 70 s after a second.
quiet_night() {
  mkdir -p "$work/night"
  today=$(date +%Y%m%d)
  for name in web app db; do echo started >"$work/night/$name.$today"; done
  # shellcheck disable=SC2086
  $1 "$work/night/web.$today" "$work/night/app.$today" "$work/night/db.$today" >/dev/null &
  follower=$!
  sleep 1
  # The trace is written outside the directory above the logs', which is watched for what it makes.
  mkdir -p "$work/trace"
  timeout 70 strace -f -p "$follower" -o "$work/trace/night" 2>/dev/null || true
  kill "$follower"
  # The first line is the wait that strace found under way.
  echo "$(grep -cv 'resuming\|detached' "$work/trace/night") system calls in 70 s"
  rm -rf "$work/night" "$work/trace"
}

cost_benchmarks() {
  echo "## Following, many last lines, a stream and a quiet night, beside tail"
  export LC_ALL=C.UTF-8
  line="2026-12-10 10:00:00.123 INFO [worker-3] request 123456 served in 12 ms"
  echo "- a followed line, cmdtail -F: $(per_followed_line "$line" "$viewer -n 0 -F LOG")"
  echo "- a followed line, tail -F:    $(per_followed_line "$line" "tail -n 0 -F LOG")"
  korean=$(printf '2026-12-10 10:00:00.123 INFO [worker-3] 요청 처리 완료 request 123456 served in 12 ms' | iconv -t CP949)
  echo "- a followed code page 949 line, cmdtail -F --encoding=CP949 --color=always --highlight=요청 --highlight=deadlock:" \
    "$(per_followed_line "$korean" "$viewer -n 0 -F --encoding=CP949 --color=always --highlight=요청 --highlight=deadlock LOG")"
  line=$(printf 'log line %091d' 0)
  yes "$line" | head -n 10631029 >"$work/big.log"
  beside "the last 100,000 lines of a 1 GiB log" "$viewer -n 100000 $work/big.log" "tail -n 100000 $work/big.log"
  rm -f "$work/big.log"
  # Through a pipe: standard input from a file could be read from its end.
  seq 10000000 >"$work/seq"
  ours=$(cat "$work/seq" | instructions_of "$viewer" -n 5)
  theirs=$(cat "$work/seq" | instructions_of tail -n 5)
  set -- $(paired_milliseconds "cat $work/seq | $viewer -n 5" "cat $work/seq | tail -n 5")
  echo "- the last 5 lines of a stream of 10,000,000 numbers: cmdtail $(millions "$ours") M instructions, $1 ms;" \
    "tail $(millions "$theirs") M, $2 ms; ratios $(ratio "$ours" "$theirs") and $(ratio "$1" "$2")"
  for command in "$viewer" tail; do
    echo "- peak memory, $(basename "$command") -n 5 of that stream: $(cat "$work/seq" | /usr/bin/time -f %M "$command" -n 5 2>&1 >/dev/null) KiB"
  done
  rm -f "$work/seq"
  echo "- three quiet dated logs, cmdtail -F: $(quiet_night "$viewer -F")"
  echo "- three quiet dated logs, tail -F:    $(quiet_night "tail -F")"
  unset LC_ALL
}

if [ "${1:-}" = costs ]; then
  cost_benchmarks
  exit 0
fi
if [ "${1:-}" = users ]; then
  users_benchmarks
  exit 0
fi
if [ "${1:-}" = expressions ]; then
  users_log
  LC_ALL=C.UTF-8 expression_benchmarks
  exit 0
fi

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

users_benchmarks
cost_benchmarks

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

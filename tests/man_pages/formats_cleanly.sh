#!/bin/sh
# formats_cleanly.sh PAGE: formats the manual page PAGE with man and fails on any warning from man or
# groff (every groff warning, undefined macros included), which it prints.
set -eu
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=mac,all -l "$1" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  printf '%s\n' "$warnings"
  exit 1
fi

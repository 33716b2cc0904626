#!/bin/sh
# lists_every_option.sh PAGE PROGRAM: fails when an option that PROGRAM --help lists has no entry in
# the OPTIONS section of the manual page PAGE, that is, is missing from every tag line after a .TP
# there (where the page writes each - as \-).
set -eu
tags=$(awk '/^\.SH/ { options = ($2 == "OPTIONS") }
  options && previous == ".TP" { print }
  { previous = $0 }' "$1")
# The options are the first column of the help's indented lines that begin with a dash; when there is
# none, grep fails, and the script with it.
options=$("$2" --help | sed -n 's/^  -/-/p' | sed 's/  .*//' | grep -o -- '--*[A-Za-z][-A-Za-z]*')
missing=""
for option in $options; do
  roff=$(printf '%s' "$option" | sed 's/-/\\-/g')
  printf '%s\n' "$tags" | grep -qF -- "$roff" || missing="$missing $option"
done
if [ -n "$missing" ]; then
  echo "options of $2 --help without an entry in $1:$missing"
  exit 1
fi

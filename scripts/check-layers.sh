#!/usr/bin/env bash
# Checks the viewer's layers: a source includes only headers of its own layer or of those below it,
# bottom first: platform, text, output, follow, options, then main.cc; and no two headers include each
# other, directly or through others. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/../viewer"

rank() {
  case $1 in
    platform/*) echo 1 ;; text/*) echo 2 ;; output/*) echo 3 ;; follow/*) echo 4 ;; options/*) echo 5 ;;
    *) echo 6 ;;
  esac
}

found=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
for file in $(find . -name '*.cc' -o -name '*.h' | sed 's|^\./||' | sort); do
  for header in $(sed -n 's/^#include "\([a-z]*\/[^"]*\)"$/\1/p' "$file" | grep -v '^common/' || true); do
    if [ "$(rank "$header")" -gt "$(rank "$file")" ]; then
      echo "viewer/$file includes $header, of a higher layer"
      found=1
    fi
    echo "$file $header" >>"$edges"
  done
done
# tsort reports a loop among the includes.
if ! tsort "$edges" >/dev/null 2>"$edges.loops"; then
  cat "$edges.loops"
  found=1
fi
rm -f "$edges.loops"
[ "$found" -eq 0 ] && echo "viewer layers: no include of a higher layer, no loop"
exit "$found"

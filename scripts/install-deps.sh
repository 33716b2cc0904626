#!/usr/bin/env bash
# Installs the build and test tools listed in scripts/packages.txt when any of them is missing
# (Debian, as root), and Debian's source of RE2 for the Windows build (scripts/re2-source.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t packages < scripts/packages.txt

missing=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${packages[@]}" 2>&1 | grep -cv ' ii ' || true)
if [ "$missing" -ne 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing build or test tools; as root run: apt-get install -y ${packages[*]}" >&2
    exit 1
  fi
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${packages[@]}"
fi
scripts/re2-source.sh

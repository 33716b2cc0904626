#!/usr/bin/env bash
# Installs the build and test tools listed in scripts/packages.txt when any of them is missing
# (Debian, as root).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t packages < scripts/packages.txt

missing=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${packages[@]}" 2>&1 | grep -cv ' ii ' || true)
[ "$missing" -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing build or test tools; as root run: apt-get install -y ${packages[*]}" >&2
  exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y "${packages[@]}"

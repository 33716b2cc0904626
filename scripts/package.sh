#!/usr/bin/env bash
# Makes the release packages from the native build (build/, a .tar.gz) and the Windows build
# (build-windows/, a ZIP), checks what each holds, and checks that installing into a project home
# gives a daylog that opens the home's log in the installed viewer at once.
set -euo pipefail
cd "$(dirname "$0")/.."

check_package() {  # build directory, package file name, expected entries
  local dir=$1 name=$2 expected=$3 listed
  (cd "$dir" && cpack >/dev/null)
  listed=$(cmake -E tar tf "$dir/$name" | grep -v '/$' | sort)
  if [ "$listed" != "$expected" ]; then
    printf 'package %s holds:\n%s\nexpected:\n%s\n' "$name" "$listed" "$expected" >&2
    exit 1
  fi
  echo "package $name: $(echo "$listed" | wc -l) files as expected"
}

version=$(sed -n 's/^project(daylog VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
linux="daylog-$version-linux-$(uname -m)"
windows="daylog-$version-windows-x86_64"
check_package build "$linux.tar.gz" "$(printf '%s\n' "$linux/README.md" "$linux/bin/cmdtail.exe" "$linux/bin/daylog")"
check_package build-windows "$windows.zip" \
  "$(printf '%s\n' "$windows/README.md" "$windows/bin/cmdtail.exe" "$windows/bin/daylog.exe")"

root=$(mktemp -d /tmp/daylog-install-XXXXXX)
home="$root/home"
trap 'pkill -f -- "$home/bin/cmdtail.exe" 2>/dev/null || true; rm -rf -- "$root"' EXIT
cmake --install build --prefix "$home" >/dev/null
mkdir -p "$home/log"
echo "installed and following" >"$home/log/web.$(date +%Y%m%d)"
"$home/bin/daylog" "$home" web >"$root/shown"
for _ in $(seq 50); do
  grep -q "installed and following" "$root/shown" && break
  sleep 0.1
done
grep -q "installed and following" "$root/shown" || { echo "the installed daylog did not show the log" >&2; exit 1; }
echo "install into a project home: daylog opened the log in the installed viewer"

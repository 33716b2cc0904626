#!/usr/bin/env bash
# Makes the release packages from the Release builds (scripts/release-build.sh): a .tar.gz and a .deb
# from build-release, a ZIP from build-windows-release. Checks what each holds, prints each file's
# size, and checks that every executable in them is stripped: no debug sections, no symbol table.
# Then checks that a stripped install into a project home gives a daylog that opens the home's log in
# the installed viewer at once, and, as root, that the .deb installs, runs, has its manual pages found
# by man, and is removed again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/release-build.sh windows

work=$(mktemp -d /tmp/daylog-package-XXXXXX)
home="$work/home"
deb_installed=""
cleanup() {
  pkill -f -- "$home/bin/cmdtail.exe" 2>/dev/null || true
  if [ -n "$deb_installed" ]; then
    dpkg -r daylog >/dev/null || true
  fi
  rm -rf -- "$work"
}
trap cleanup EXIT

fail() {
  echo "$*" >&2
  exit 1
}

files_under() { (cd "$1" && find . -type f | sed 's|^\./||' | sort); }

expect_files() {  # what, directory, expected files
  local listed
  listed=$(files_under "$2")
  [ "$listed" = "$3" ] || fail "$(printf '%s holds:\n%s\nexpected:\n%s' "$1" "$listed" "$3")"
}

# objdump's output is read whole before it is searched: a grep -q ending early would cut it off and,
# under pipefail, fail the pipeline that found what it looked for.
section_headers() { objdump -h "$1" || fail "objdump cannot read $1"; }

expect_stripped() {  # executables
  local file headers symbols
  for file; do
    headers=$(section_headers "$file")
    grep -q ' \.debug' <<<"$headers" && fail "$file has debug sections"
    symbols=$(objdump -t "$file")
    grep -qx 'no symbols' <<<"$symbols" || fail "$file has a symbol table"
  done
}

make_packages() {  # build directory
  (cd "$1" && cpack >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack failed in $1"; }
}

check_package() {  # package file, expected files
  local package=$1 archive dir executables
  archive=$(realpath "$package")
  dir="$work/unpacked/$(basename "$package")"
  mkdir -p "$dir"
  case $package in
    *.deb) dpkg-deb -x "$archive" "$dir" ;;
    *) (cd "$dir" && cmake -E tar xf "$archive") ;;
  esac
  expect_files "package $(basename "$package")" "$dir" "$2"
  mapfile -t executables < <(find "$dir" -path '*/bin/*' -type f)
  expect_stripped "${executables[@]}"
  echo "package $(basename "$package"): $(stat -c %s "$package") bytes, its files as expected, stripped:"
  (cd "$dir" && files_under . | xargs stat -c '%10s  %n')
}

version=$(sed -n 's/^project(daylog VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
linux="daylog-$version-linux-$(uname -m)"
windows="daylog-$version-windows-x86_64"
deb="daylog_${version}_$(dpkg --print-architecture).deb"
make_packages build-release
make_packages build-windows-release

check_package "build-release/$linux.tar.gz" "$(printf "$linux/%s\n" README.md bin/cmdtail.exe bin/daylog \
  share/man/man1/cmdtail.1.gz share/man/man1/daylog.1.gz)"
check_package "build-windows-release/$windows.zip" "$(printf "$windows/%s\n" README.md bin/cmdtail.exe \
  bin/daylog.exe share/man/man1/cmdtail.1 share/man/man1/daylog.1)"
for exe in cmdtail daylog; do
  headers=$(section_headers "$work/unpacked/$windows.zip/$windows/bin/$exe.exe")
  grep -q ' \.rsrc ' <<<"$headers" || fail "the packaged $exe.exe has no resources"
done
check_package "build-release/$deb" "$(printf 'usr/%s\n' bin/cmdtail bin/daylog share/doc/daylog/README.md \
  share/man/man1/cmdtail.1.gz share/man/man1/daylog.1.gz)"
depends=$(dpkg-deb -f "build-release/$deb" Depends)
[[ $depends =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] || fail "the .deb depends on \"$depends\", not on libc6 alone"
echo "package $deb: depends on $depends"

cmake --install build-release --strip --prefix "$home" >/dev/null
expect_files "the install into a project home" "$home" "$(printf '%s\n' bin/cmdtail.exe bin/daylog \
  share/man/man1/cmdtail.1.gz share/man/man1/daylog.1.gz)"
expect_stripped "$home/bin/daylog" "$home/bin/cmdtail.exe"
mkdir -p "$home/log"
echo "installed and following" >"$home/log/web.$(date +%Y%m%d)"
"$home/bin/daylog" "$home" web >"$work/shown"
for _ in $(seq 50); do
  grep -q "installed and following" "$work/shown" && break
  sleep 0.1
done
grep -q "installed and following" "$work/shown" || fail "the installed daylog did not show the log"
echo "install into a project home: stripped, and daylog opened the log in the installed viewer"

if [ "$(id -u)" -ne 0 ]; then
  echo "the .deb's install is checked as root only: not checked"
  exit 0
fi
deb_installed=yes
dpkg -i "build-release/$deb" >/dev/null
shown=$(/usr/bin/cmdtail --version)
[ "$shown" = "cmdtail $version" ] || fail "the installed cmdtail --version shows \"$shown\""
shown=$(/usr/bin/daylog 2>&1) || fail "the installed daylog without arguments ended with status $?"
[ -z "$shown" ] || fail "the installed daylog without arguments wrote \"$shown\""
for page in cmdtail daylog; do
  found=$(man -w "$page")
  [ "$found" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page finds \"$found\""
done
dpkg -r daylog >/dev/null
deb_installed=""
[ ! -e /usr/bin/cmdtail ] || fail "dpkg -r left /usr/bin/cmdtail behind"
echo "package $deb: installed, cmdtail and daylog ran, man found both pages, removed"

#!/usr/bin/env bash
# Makes the release packages from the native and Windows trees, whose programs are built in the Release
# configuration: a .tar.gz and a .deb from build, a ZIP from build-windows. Checks what each holds, prints
# each file's size, and checks that every executable in them is stripped: no debug sections, no symbol
# table. Then checks that a stripped install into a project home gives a daylog that opens the home's
# log in the installed viewer at once, and, as root, that the .deb installs into a throwaway root, runs,
# has its manual pages found by man there, and is removed again. Nothing is installed into the machine's
# own folders, and only the processes it started are ended.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/process_group.sh
# A tree already configured is left as it is, as its suites may be running.
for tree in native:build windows:build-windows; do
  [ -f "${tree#*:}/CMakeCache.txt" ] || cmake --preset "${tree%%:*}" >/dev/null
  cmake --build --preset "${tree%%:*}" -j "$(nproc)" --target daylog cmdtail >/dev/null
done

work=$(mktemp -d /tmp/daylog-package-XXXXXX)
home="$work/home"
viewers=""
cleanup() {
  end_viewer
  rm -rf -- "$work"
}
trap cleanup EXIT

fail() {
  echo "$*" >&2
  exit 1
}

files_under() { (cd "$1" && find . -type f | sed 's|^\./||' | sort); }

expect_files() {  # what, directory, expected files
  local listed expected
  listed=$(files_under "$2")
  expected=$(sort <<<"$3")
  [ "$listed" = "$expected" ] || fail "$(printf '%s holds:\n%s\nexpected:\n%s' "$1" "$listed" "$expected")"
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
make_packages build
make_packages build-windows

# The archives hold no folder of their own: unpacked into a project home, their bin/ is the home's.
check_package "build/$linux.tar.gz" "$(printf '%s\n' bin/cmdtail.exe bin/daylog \
  share/bash-completion/completions/cmdtail share/bash-completion/completions/daylog share/doc/daylog/LICENSE share/doc/daylog/README.md share/doc/daylog/cmdtail.conf.example \
  share/man/man1/cmdtail.1.gz share/man/man1/daylog.1.gz)"
check_package "build-windows/$windows.zip" "$(printf '%s\n' bin/cmdtail.exe bin/daylog.exe \
  share/doc/daylog/LICENSE.txt share/doc/daylog/README.txt share/doc/daylog/cmdtail.conf.example \
  share/doc/daylog/cmdtail.txt share/doc/daylog/daylog.txt share/man/man1/cmdtail.1 share/man/man1/daylog.1)"
zip_docs="$work/unpacked/$windows.zip/share/doc/daylog"
for text in "$zip_docs"/*; do
  [ "$(head -c 3 "$text" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$(basename "$text") has no byte order mark"
  ! grep -q $'[^\r]$' <(tail -c +4 "$text") || fail "$(basename "$text") has a line without CR LF"
done
echo "the ZIP's texts are UTF-8 with a byte order mark and CR LF line ends, as Notepad saves them"
for exe in cmdtail daylog; do
  headers=$(section_headers "$work/unpacked/$windows.zip/bin/$exe.exe")
  grep -q ' \.rsrc ' <<<"$headers" || fail "the packaged $exe.exe has no resources"
done
check_package "build/$deb" "$(printf 'usr/%s\n' bin/cmdtail bin/daylog share/bash-completion/completions/cmdtail \
  share/bash-completion/completions/daylog share/doc/daylog/README.md.gz \
  share/doc/daylog/changelog.gz share/doc/daylog/copyright share/lintian/overrides/daylog \
  share/man/man1/cmdtail.1.gz share/man/man1/daylog.1.gz)"
depends=$(dpkg-deb -f "build/$deb" Depends)
[[ $depends =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] || fail "the .deb depends on \"$depends\", not on libc6 alone"
echo "package $deb: depends on $depends"
# lintian warns that it runs as root, which is only noise here.
findings=$(lintian --fail-on error,warning "build/$deb" 2>&1) ||
  fail "$(printf 'lintian finds faults in %s:\n%s' "$deb" "$findings")"
echo "package $deb: lintian finds no error and no warning"

end_viewer() {
  if [ -n "$viewers" ]; then
    end_group "$viewers"
    viewers=""
  fi
}

# A project home as the README makes it: the archive unpacked into it, then a log of the day.
opens_the_log() {  # project home
  mkdir -p "$1/log"
  echo "installed and following" >"$1/log/web.$(date +%Y%m%d)"
  setsid "$1/bin/daylog" "$1" web >"$work/shown" &
  viewers=$!
  wait "$viewers"
  for _ in $(seq 300); do
    if grep -q "installed and following" "$work/shown"; then
      end_viewer
      return
    fi
    sleep 0.1
  done
  fail "the daylog in $1 did not show the log"
}
mkdir -p "$home"
tar -xzf "build/$linux.tar.gz" -C "$home"
opens_the_log "$home"
echo "the .tar.gz unpacked into a project home: daylog opened the log in the home's viewer"
rm -rf -- "$home"

cmake --install build --strip --prefix "$home" >/dev/null
expect_files "the install into a project home" "$home" "$(printf '%s\n' bin/cmdtail.exe bin/daylog \
  share/bash-completion/completions/cmdtail share/bash-completion/completions/daylog \
  share/man/man1/cmdtail.1.gz share/man/man1/daylog.1.gz)"
expect_stripped "$home/bin/daylog" "$home/bin/cmdtail.exe"
opens_the_log "$home"
echo "install into a project home: stripped, and daylog opened the log in the installed viewer"

if [ "$(id -u)" -ne 0 ]; then
  echo "the .deb's install is checked as root only: not checked"
  exit 0
fi
# A throwaway root with an empty package database: dpkg installs there, never into the machine's /usr.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
in_root() { dpkg --root="$root" --log=/dev/null --force-depends "$@" >/dev/null; }
in_root -i "build/$deb"
shown=$("$root/usr/bin/cmdtail" --version)
[ "$shown" = "cmdtail $version" ] || fail "the installed cmdtail --version shows \"$shown\""
shown=$("$root/usr/bin/daylog" 2>&1) || fail "the installed daylog without arguments ended with status $?"
[ -z "$shown" ] || fail "the installed daylog without arguments wrote \"$shown\""
for page in cmdtail daylog; do
  found=$(MANPATH="$root/usr/share/man" man -w "$page")
  [ "$found" = "$root/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page finds \"$found\""
done
in_root -r daylog
[ ! -e "$root/usr/bin/cmdtail" ] || fail "dpkg -r left usr/bin/cmdtail behind"
echo "package $deb: installed into a throwaway root, cmdtail and daylog ran, man found both pages, removed"

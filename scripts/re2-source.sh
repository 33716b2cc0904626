#!/usr/bin/env bash
# Puts Debian's source of the RE2 release that libre2-dev holds into build-deps/re2, for the Windows
# build to compile with MinGW-w64: the same release on both platforms. Debian's source leaves out the
# generated tables, which are made here as Debian's own build makes them, from the system's Unicode data.
# Needs the packages of scripts/packages.txt, and as root adds a deb-src line for the running suite.
set -euo pipefail
cd "$(dirname "$0")/.."
target=build-deps/re2
version=$(dpkg-query -W -f='${source:Version}' libre2-dev)
[ "$(cat "$target/.debian-version" 2>/dev/null)" = "$version" ] && exit 0

if ! apt-get source --print-uris "re2=$version" >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "no deb-src line for re2 $version; as root run scripts/install-deps.sh" >&2
    exit 1
  fi
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  cat >/etc/apt/sources.list.d/daylog-sources.sources <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  apt-get update
fi

work=build-deps/re2.download
rm -rf "$work" "$target"
mkdir -p "$work"
(cd "$work" && apt-get source --download-only "re2=$version" &&
  dpkg-source --no-check -x ./*.dsc source >/dev/null)
source=$work/source
perl "$source/re2/make_perl_groups.pl" >"$source/re2/perl_groups.cc"
for table in casefold groups; do
  (cd "$source/re2" && python3 "make_unicode_$table.py") >"$source/re2/unicode_$table.cc"
done
mv "$source" "$target"
echo "$version" >"$target/.debian-version"
rm -rf "$work"

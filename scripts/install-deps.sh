#!/usr/bin/env bash
# Installs what building and testing need when any of it is missing (Debian, as root).
set -euo pipefail

packages=(cmake g++ libgtest-dev libgmock-dev util-linux tzdata g++-mingw-w64-x86-64-posix wine64 valgrind)
have_all() {
  command -v cmake >/dev/null && command -v g++ >/dev/null && command -v setpriv >/dev/null &&
    command -v x86_64-w64-mingw32-g++-posix >/dev/null && command -v valgrind >/dev/null &&
    [ -x /usr/lib/wine/wine64 ] && [ -f /usr/include/gtest/gtest.h ] && [ -f /usr/include/gmock/gmock.h ] &&
    [ -f /usr/share/zoneinfo/Asia/Seoul ]
}

have_all && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing build or test tools; as root run: apt-get install -y ${packages[*]}" >&2
  exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y "${packages[@]}"

#!/usr/bin/env bash
# Installs everything the build, the demo and the tests need on Debian 12.
# Safe to run again: each step checks whether it is already done.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root (or through sudo)" >&2
    exit 1
  fi
}

PACKAGES=(
  cmake make g++ pkgconf ninja-build zlib1g-dev libgtest-dev googletest libminizip-dev dpkg-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix wine wine32:i386 wine64
  xvfb imagemagick fonts-nanum locales nginx-light openssl curl unzip zip iconv-dummy
  clang-14 libclang-rt-14-dev osslsigncode
)
PACKAGES=("${PACKAGES[@]/iconv-dummy/}")

missing=()
for p in "${PACKAGES[@]}"; do
  [ -n "$p" ] || continue
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

src_list=/etc/apt/sources.list.d/debian-src.sources
if [ ${#missing[@]} -gt 0 ] || [ ! -f "$src_list" ]; then
  need_root
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  # minizip's unzip sources for the Windows build come from Debian's source package.
  if [ ! -f "$src_list" ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src_list"
  fi
  apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

# Wine needs the Korean locale, or every non-ASCII file name fails; the English one (code page
# 1252) is the other system the scenarios check the Korean texts and names under.
for wanted in ko_KR en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted.utf8$"; then
    need_root
    sed -i "s/^# *$wanted.UTF-8 UTF-8/$wanted.UTF-8 UTF-8/" /etc/locale.gen
    generate=1
  fi
done
[ -z "${generate:-}" ] || locale-gen
echo "install-deps: all dependencies present"

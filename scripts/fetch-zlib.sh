#!/usr/bin/env bash
# Puts zlib's inflate sources into DEST, taken from Debian's zlib source package: the program
# builds the part of zlib it uses (inflate and the two checksums) itself, for size; the
# Windows-side tests add deflate, to write the archives they read. Never
# committed. The newest source version is tried first, then each older one the archive lists
# (a security update's source may be missing from the archive this machine reaches).
set -euo pipefail
dest=${1:?usage: fetch-zlib.sh DEST}
sources=(inflate.c inftrees.c inffast.c adler32.c crc32.c zutil.c deflate.c trees.c)
headers=(zlib.h zconf.h zutil.h inftrees.h inflate.h inffast.h inffixed.h crc32.h gzguts.h deflate.h trees.h)
if [ -f "$dest/inflate.c" ] && [ -f "$dest/trees.h" ]; then exit 0; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fetched=0
for version in "" $(apt-cache showsrc zlib 2>/dev/null | sed -n 's/^Version: //p' | sort -urV); do
  (cd "$work" && apt-get source -q "zlib${version:+=$version}" >/dev/null 2>&1) && { fetched=1; break; }
done
if [ "$fetched" != 1 ]; then
  echo "fetch-zlib: 'apt-get source zlib' failed; run scripts/install-deps.sh (it adds the deb-src entry)" >&2
  exit 1
fi
src=$(dirname "$(find "$work" -maxdepth 2 -name inflate.c | head -n 1)")
mkdir -p "$dest"
for f in "${sources[@]}" "${headers[@]}"; do cp "$src/$f" "$dest/$f"; done
echo "fetch-zlib: zlib sources in $dest"

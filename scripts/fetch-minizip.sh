#!/usr/bin/env bash
# Puts minizip's unzip sources into DEST, taken from Debian's minizip source
# package (the same version as libminizip-dev). Never committed.
set -euo pipefail
dest=${1:?usage: fetch-minizip.sh DEST}
files=(unzip.c unzip.h ioapi.c ioapi.h crypt.h)
if [ -f "$dest/unzip.c" ] && [ -f "$dest/crypt.h" ]; then exit 0; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -q minizip >/dev/null 2>&1) || {
  echo "fetch-minizip: 'apt-get source minizip' failed; run scripts/install-deps.sh (it adds the deb-src entry)" >&2
  exit 1
}
src=$(dirname "$(find "$work" -name unzip.c -path '*minizip*' | head -n 1)")
mkdir -p "$dest"
for f in "${files[@]}"; do cp "$src/$f" "$dest/$f"; done
echo "fetch-minizip: unzip sources in $dest"

#!/usr/bin/env bash
# Packs a folder into the setup's package: a zip whose entries are the folder's contents, named
# relative to it (the setup extracts them relative to the install folder). With --key, also
# signs it: OUT.zip.sig, the raw RSA signature over the zip's SHA-256 that the setup checks
# against the public key built into it. Put both files side by side on the package server.
#
#   scripts/make-package.sh FOLDER OUT.zip [--key PRIVATE_KEY.pem]
#
# Entries are stored in a fixed (byte-wise sorted) order without extra file attributes, so the
# same folder gives the same archive. Names that are not ASCII are stored in UTF-8 with the
# UTF-8 flag (general-purpose bit 11), which the setup reads as such: a Korean file name lands
# under the same name.
set -euo pipefail
usage() { echo "usage: make-package.sh FOLDER OUT.zip [--key PRIVATE_KEY.pem]" >&2; exit 2; }
[ $# -ge 2 ] || usage
folder=$1 out=$2 key=
shift 2
while [ $# -gt 0 ]; do
  case $1 in
    --key) key=${2:-}; [ -n "$key" ] || usage; shift 2 ;;
    *) usage ;;
  esac
done
[ -d "$folder" ] || { echo "make-package: $folder is not a folder" >&2; exit 1; }
[ -z "$key" ] || [ -f "$key" ] || { echo "make-package: no key at $key" >&2; exit 1; }
out=$(realpath -m "$out")
mkdir -p "$(dirname "$out")"
rm -f "$out" "$out.sig"

# zip adds to an existing archive, so it starts from none; -X leaves out Unix attributes.
# -UN=UTF8 stores the names as UTF-8 and flags them, which zip does only under a UTF-8 locale.
(cd "$folder" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | LC_ALL=C.UTF-8 zip -q -X -UN=UTF8 -@ "$out")
[ -f "$out" ] || { echo "make-package: $folder holds no files" >&2; exit 1; }
if [ -n "$key" ]; then
  openssl dgst -sha256 -sign "$key" -out "$out.sig" "$out"
  # Checked with the public half before it leaves the publisher.
  openssl dgst -sha256 -verify <(openssl pkey -in "$key" -pubout) -signature "$out.sig" "$out" >/dev/null
fi
echo "make-package: $out${key:+ and $out.sig}"

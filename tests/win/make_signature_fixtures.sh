#!/usr/bin/env bash
# Files for tests/win/package_signature_test.cpp, made by the build with openssl and the
# publisher's own scripts: fresh key pairs each time (their private halves stay in the build
# folder), a package signed by key a, the same package signed by keys b and c, and files whose
# size lies on the hashing's block bounds.
#
#   tests/win/make_signature_fixtures.sh OUTDIR
#   a/, b/  RSA-2048 key pairs     c/  an RSA-4096 key pair
#   package.zip         a package of two files      package.zip.sig     its signature by a
#   package.zip.b.sig   its signature by b          package.zip.c.sig   its signature by c
#   empty.bin, blocks.bin (2 MiB + 1 byte) and each one's .sig by a and .sha256 (hex digest)
set -euo pipefail
out=${1:?usage: make_signature_fixtures.sh OUTDIR}
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
rm -rf "$out"
mkdir -p "$out/content/sub"
bash "$scripts/make-package-key.sh" "$out/a" >/dev/null
bash "$scripts/make-package-key.sh" "$out/b" >/dev/null
bash "$scripts/make-package-key.sh" "$out/c" 4096 >/dev/null

printf 'the product\r\n' >"$out/content/PRODUCT.EXE"
head -c 70000 /dev/urandom >"$out/content/sub/data.bin"
bash "$scripts/make-package.sh" "$out/content" "$out/package.zip" --key "$out/a/package_key.pem" >/dev/null
for key in b c; do
  openssl dgst -sha256 -sign "$out/$key/package_key.pem" -out "$out/package.zip.$key.sig" "$out/package.zip"
done

: >"$out/empty.bin"
head -c $((2 * 1048576 + 1)) /dev/urandom >"$out/blocks.bin"
for file in empty.bin blocks.bin; do
  openssl dgst -sha256 -sign "$out/a/package_key.pem" -out "$out/$file.sig" "$out/$file"
  sha256sum "$out/$file" | cut -d' ' -f1 >"$out/$file.sha256"
done

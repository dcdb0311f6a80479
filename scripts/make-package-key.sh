#!/usr/bin/env bash
# Makes the publisher's package signing key pair with openssl:
#   DIR/package_key.pem  the private key (RSA-2048): keep it off the build machine's shared
#                        places and out of any repository; it signs every package
#   DIR/package_key.pub  its public half (PEM "PUBLIC KEY"): copy it to profile/<name>/ and
#                        every setup built from that profile accepts only packages it signed
#
#   scripts/make-package-key.sh DIR [BITS]     BITS: 2048 (default), 3072 or 4096
# Refuses to replace an existing key.
set -euo pipefail
dir=${1:?usage: make-package-key.sh DIR [BITS]}
bits=${2:-2048}
case $bits in
  2048 | 3072 | 4096) ;;
  *) echo "make-package-key: BITS must be 2048, 3072 or 4096" >&2; exit 2 ;;
esac
private=$dir/package_key.pem public=$dir/package_key.pub
if [ -e "$private" ] || [ -e "$public" ]; then
  echo "make-package-key: $dir already holds a key; not replacing it" >&2
  exit 1
fi
mkdir -p "$dir"
# The private key is readable by its owner only from the moment it exists.
(umask 077 && openssl genpkey -quiet -algorithm RSA -pkeyopt "rsa_keygen_bits:$bits" \
  -pkeyopt rsa_keygen_pubexp:65537 -out "$private")
openssl pkey -in "$private" -pubout -out "$public"
echo "make-package-key: private key $private, public key $public"

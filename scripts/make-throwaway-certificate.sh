#!/usr/bin/env bash
# A throwaway code-signing certificate for tests and the demo, never for a release: a private
# CA and a certificate it issued for code signing, valid 30 days, made with openssl.
#   DIR/ca.pem                   the CA certificate (osslsigncode verify -CAfile DIR/ca.pem)
#   DIR/signer.pem, signer.key   the code-signing certificate and its private key
#
#   scripts/make-throwaway-certificate.sh DIR [NAME]   NAME goes into the subjects' CN
set -euo pipefail
dir=${1:?usage: make-throwaway-certificate.sh DIR [NAME]}
name=${2:-Throwaway}
mkdir -p "$dir"
cd "$dir"
(umask 077 && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 \
  -subj "/CN=$name Test CA" -addext basicConstraints=critical,CA:TRUE \
  -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null)
(umask 077 && openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
  -subj "/CN=$name Code Signing" 2>/dev/null)
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -set_serial "0x$(openssl rand -hex 8)" \
  -days 30 -out signer.pem -extfile <(printf '%s\n' basicConstraints=CA:FALSE \
  keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning) 2>/dev/null
rm -f signer.csr

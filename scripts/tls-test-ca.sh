#!/usr/bin/env bash
# A private certificate authority for the HTTPS tests, made at test time and trusted only inside
# the test Wine prefix. Nothing it makes is committed: point DIR into a build folder.
#
#   tls-test-ca.sh make DIR [NAME...]  a CA and a server certificate for the host NAMEs
#                                      (default: localhost) in DIR, made afresh each time
#   tls-test-ca.sh trust DIR           add DIR's CA to the machine's Root store of $WINEPREFIX
#   tls-test-ca.sh untrust DIR         remove it from there again; fine when it is not there
#   tls-test-ca.sh thumbprint DIR      print the CA's SHA-1 thumbprint (the Root store's key name)
#
# make writes: ca.pem, ca.key (the authority), server.pem, server.key (the server's certificate,
# names only as subjectAltName DNS entries, no IP addresses, so a request to 127.0.0.1 meets a
# name mismatch), server-chain.pem (server.pem then ca.pem, what nginx sends), ca.reg (the Root
# store entry for regedit). Certificates are valid for 30 days.
#
# trust and untrust work on $WINEPREFIX alone and refuse to run without it, so the host's own
# store and any other prefix stay as they are. They start Wine through scripts/wine-run.sh
# (SETUP_WINE_BITS picks the loader). The entry is a registry key
# HKLM\Software\Microsoft\SystemCertificates\Root\Certificates\<SHA-1>; untrust deletes the key
# itself, since the certificate API's delete leaves an empty key behind.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root_key='HKEY_LOCAL_MACHINE\Software\Microsoft\SystemCertificates\Root\Certificates'

die() {
  echo "tls-test-ca: $*" >&2
  exit 1
}

usage() {
  echo "usage: tls-test-ca.sh make DIR [NAME...] | trust DIR | untrust DIR | thumbprint DIR" >&2
  exit 2
}

thumbprint() {
  [ -f "$1/ca.pem" ] || die "no CA in $1 (run: tls-test-ca.sh make $1)"
  openssl x509 -in "$1/ca.pem" -noout -fingerprint -sha1 | sed 's/^.*=//; s/://g'
}

# The registry form of a Root store entry: a "Blob" of one serialized property, the certificate
# itself (property 32, CERT_CERT_PROP_ID), as little-endian id, 1, length, then the DER bytes.
write_reg() {
  local dir=$1 der length
  der=$(openssl x509 -in "$dir/ca.pem" -outform DER | od -An -v -tx1 | tr -s ' \n' ' ')
  length=$(openssl x509 -in "$dir/ca.pem" -outform DER | wc -c)
  {
    printf 'REGEDIT4\r\n\r\n[%s\\%s]\r\n"Blob"=hex:' "$root_key" "$(thumbprint "$dir")"
    printf '20 00 00 00 01 00 00 00 %02x %02x %02x %02x%s' $((length & 255)) \
      $((length >> 8 & 255)) $((length >> 16 & 255)) $((length >> 24)) "$der" |
      sed 's/ *$//; s/ /,/g'
    printf '\r\n'
  } >"$dir/ca.reg"
}

cmd_make() {
  [ $# -ge 1 ] || usage
  local dir=$1 names san="" name
  shift
  names=("${@:-localhost}")
  for name in "${names[@]}"; do san+="${san:+,}DNS:$name"; done
  mkdir -p "$dir"
  rm -f "$dir"/ca.* "$dir"/server*

  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -sha256 -keyout "$dir/ca.key" \
    -out "$dir/ca.pem" -subj "/CN=Velmora Test CA $(date +%s)" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
  openssl req -new -newkey rsa:2048 -nodes -sha256 -keyout "$dir/server.key" \
    -out "$dir/server.csr" -subj "/CN=${names[0]}" 2>/dev/null
  openssl x509 -req -in "$dir/server.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" \
    -CAcreateserial -days 30 -sha256 -out "$dir/server.pem" -extfile <(
      printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\n'
      printf 'extendedKeyUsage=serverAuth\nsubjectAltName=%s\n' "$san"
    ) 2>/dev/null
  rm -f "$dir/server.csr" "$dir/ca.srl"
  cat "$dir/server.pem" "$dir/ca.pem" >"$dir/server-chain.pem"
  write_reg "$dir"
  echo "tls-test-ca: CA $(thumbprint "$dir") and a server certificate for ${names[*]} in $dir"
}

need_prefix() {
  [ -n "${WINEPREFIX:-}" ] || die "WINEPREFIX is not set: trust only a test prefix"
  [ -d "$WINEPREFIX" ] || die "no Wine prefix at $WINEPREFIX"
}

cmd_trust() {
  [ $# -eq 1 ] || usage
  need_prefix
  [ -f "$1/ca.reg" ] || die "no CA in $1 (run: tls-test-ca.sh make $1)"
  "$here/wine-run.sh" regedit.exe /S "$(cd "$1" && pwd)/ca.reg" </dev/null >/dev/null 2>&1 ||
    die "regedit could not import $1/ca.reg"
  "$here/wine-run.sh" reg query "$root_key\\$(thumbprint "$1")" </dev/null >/dev/null 2>&1 ||
    die "the CA is not in the Root store of $WINEPREFIX after the import"
}

cmd_untrust() {
  [ $# -eq 1 ] || usage
  need_prefix
  local key
  key="$root_key\\$(thumbprint "$1")"
  "$here/wine-run.sh" reg query "$key" </dev/null >/dev/null 2>&1 || return 0
  "$here/wine-run.sh" reg delete "$key" /f </dev/null >/dev/null 2>&1 ||
    die "could not delete $key"
}

case ${1:-} in
  make) shift; cmd_make "$@" ;;
  trust) shift; cmd_trust "$@" ;;
  untrust) shift; cmd_untrust "$@" ;;
  thumbprint) [ $# -eq 2 ] || usage; thumbprint "$2" ;;
  *) usage ;;
esac

#!/usr/bin/env bash
# Authenticode signatures on the built programs, checked with osslsigncode on the host against
# a CA and a code-signing certificate made here with openssl (scripts/make-throwaway-certificate.sh):
# a signed copy of the setup verifies against its CA and not against another, a copy with one
# byte changed fails, an unsigned one reports no signature, and signing only adds the signature.
# When the build itself signs (SETUP_SIGN_CERT), every program it signs carries that signer.
#
#   signing_test.sh SETUP_EXE SIGN_CERT|"" [OTHER_SIGNED_EXE...]
set -uo pipefail
exe=${1:?usage: signing_test.sh SETUP_EXE SIGN_CERT|"" [EXE...]}
sign_cert=${2-}
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)
for tool in osslsigncode openssl; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool missing (scripts/install-deps.sh)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
pass() { echo "pass: $1"; }
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
# verify NAME FILE [CA]: osslsigncode's verdict on FILE, its output kept in $work/NAME.txt.
verify() {
  osslsigncode verify ${3:+-CAfile "$3"} -in "$2" >"$work/$1.txt" 2>&1
}
# flip FILE OFFSET: inverts the byte at OFFSET.
flip() {
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $((byte ^ 255)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

bash "$root/scripts/make-throwaway-certificate.sh" "$work/ca" Velmora || { echo "FAIL: no certificate"; exit 1; }
bash "$root/scripts/make-throwaway-certificate.sh" "$work/other" Other || { echo "FAIL: no certificate"; exit 1; }

# The unsigned program: the build's own, or the build's with its signature taken off.
if [ -n "$sign_cert" ]; then
  osslsigncode remove-signature -in "$exe" -out "$work/unsigned.exe" >/dev/null 2>&1 || fail "remove the build's signature"
else
  cp "$exe" "$work/unsigned.exe"
fi
if verify unsigned "$work/unsigned.exe" "$work/ca/ca.pem"; then fail "an unsigned copy passes"
elif grep -q "No signature found" "$work/unsigned.txt"; then pass "the unsigned program has no signature"
else fail "the unsigned program: $(tail -1 "$work/unsigned.txt")"; fi

osslsigncode sign -certs "$work/ca/signer.pem" -key "$work/ca/signer.key" -h sha256 \
  -in "$work/unsigned.exe" -out "$work/signed.exe" >/dev/null || fail "osslsigncode sign"
if verify signed "$work/signed.exe" "$work/ca/ca.pem" && grep -q "Signature verification: ok" "$work/signed.txt"
then pass "the signed copy verifies against its CA"; else fail "the signed copy: $(tail -3 "$work/signed.txt")"; fi
if verify other "$work/signed.exe" "$work/other/ca.pem"; then fail "the signed copy passes another CA"
else pass "the signed copy fails against another CA"; fi

osslsigncode remove-signature -in "$work/signed.exe" -out "$work/unsigned-again.exe" >/dev/null 2>&1
if cmp -s "$work/unsigned.exe" "$work/unsigned-again.exe"; then pass "signing only adds the signature"
else fail "the program changed under its signature"; fi

cp "$work/signed.exe" "$work/tampered.exe"
flip "$work/tampered.exe" $(($(stat -c %s "$work/unsigned.exe") / 2))
if verify tampered "$work/tampered.exe" "$work/ca/ca.pem"; then fail "a copy with one byte changed passes"
elif grep -q "MISMATCH" "$work/tampered.txt"; then pass "a copy with one byte changed fails its digest"
else fail "a copy with one byte changed: $(tail -1 "$work/tampered.txt")"; fi

# The build's own signatures: each program signed by the configured certificate, intact.
if [ -n "$sign_cert" ]; then
  subject=$(openssl x509 -in "$sign_cert" -noout -subject -nameopt compat | sed 's/^subject=//')
  for program in "$exe" "$@"; do
    name=$(basename "$program")
    verify "build-$name" "$program"
    digests=$(sed -n 's/^\(Current\|Calculated\) message digest *: *\([0-9A-F]*\).*/\2/p' "$work/build-$name.txt" | sort -u | wc -l)
    if grep -qF "Subject: $subject" "$work/build-$name.txt" && [ "$digests" = 1 ]
    then pass "$name is signed by $subject"; else fail "$name is not signed by $subject"; fi
  done
fi
echo "$failures failure(s)"
[ "$failures" -eq 0 ]

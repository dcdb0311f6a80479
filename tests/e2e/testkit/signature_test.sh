#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# Signed packages: this build carries the throwaway publisher key, so a package is installed
# only with its publisher's signature beside it ("<archive>.sig"). Each refusal ends the download
# as a failed one (the download notice, the general message, the archive deleted, nothing
# extracted) and names its reason in the failure line. All runs share one dialog, the good
# package last: a refusal leaves the dialog ready for another try.
set -uo pipefail
. "$(dirname "$0")/testkit.sh"

win_dir='C:\Testkit Signed\'
dir="$(drive_c)/Testkit Signed"
archive=$PROFILE_ARCHIVE_NAME
package=$BUILD_DIR/package/update/$archive
www=$E2E_STATE/signature-www
served=$www/update/$archive
other_key=$E2E_STATE/other-package-key
trap 'testkit_cleanup "$dir"' EXIT
forget_install "$dir"
find_temp_archive || { fail "no temporary folder"; finish; }
rm -rf "$other_key" "$www" && mkdir -p "$www/update"
bash "$SOURCE_DIR/scripts/make-package-key.sh" "$other_key" >/dev/null || { fail "no second key"; finish; }

# flip_bit FILE OFFSET: the lowest bit of the byte at OFFSET inverted.
flip_bit() {
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  # shellcheck disable=SC2059  # the format is the byte
  printf "\\$(printf %03o $((byte ^ 1)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# serve_as HOW: the package and its signature served as HOW says.
serve_as() {
  cp "$package" "$served" && cp "$package.sig" "$served.sig" || return 1
  case $1 in
    signed) ;;
    # The first entry's modification time in its local header: the zip stays good, and would
    # install, were it not for the signature.
    changed-byte) flip_bit "$served" 10 && unzip -tqq "$served" ;;
    no-sig) rm "$served.sig" ;;
    short-sig) truncate -s -1 "$served.sig" ;;
    long-sig) printf x >>"$served.sig" ;;
    oversized-sig) head -c 4096 /dev/urandom >"$served.sig" ;;
    foreign-sig) openssl dgst -sha256 -sign "$other_key/package_key.pem" -out "$served.sig" "$served" ;;
  esac
}

serve_as signed && nginx_start "$www" || { fail "package server did not start"; finish; }
setup_start_traced || { fail "setup did not start"; finish; }
record_texts || fail "cannot record the setup's texts"

# The reasons, as glob patterns. A signature of another key is refused with NTE_BAD_SIGNATURE,
# or, under Wine, with NTE_FAIL (0x80090020) when its value is not below this key's modulus,
# as it is for some pairs of keys; both are a mismatch.
shopt -s extglob
refusals=(
  "changed-byte|signature-mismatch (HRESULT 0x80090006)"
  "foreign-sig|signature-mismatch (HRESULT @(0x80090006|0x80090020))"
  "no-sig|signature-fetch (HTTP 404)"
  "short-sig|signature-malformed"
  "long-sig|signature-malformed"
  "oversized-sig|signature-malformed"
)
for row in "${refusals[@]}"; do
  how=${row%%|*}
  serve_as "$how" || { fail "$how: cannot make the package"; continue; }
  : >"$PROGRAM_LOG"  # this run's lines only (the setup appends)
  install_into "$win_dir" || fail "$how: Install and agreement"
  expect_download_failure "$how"
  line=$(failure_lines | tail -n 1)
  # shellcheck disable=SC2053  # the reason is a pattern
  if [[ $line == "download failed: "${row#*|} ]]; then _pass "$how: $line"; else
    fail "$how: failure line '$line' does not match '${row#*|}'"
  fi
  expect_eq "$how: nothing extracted" "$(listing "$dir")" ""
done

serve_as signed
from=$(($(recorded_lines) + 1))
install_into "$win_dir" || fail "signed: Install and agreement"
answer_question "signed: shortcut question" "$SHORTCUT_QUESTION" "$BOX_YES_NO_QUESTION" $IDNO &&
  answer_question "signed: run question" "$RUN_QUESTION" "$BOX_YES_NO" $IDNO
expect_setup_ended "signed"
expect_eq "signed: the package's files" "$(listing "$dir")" "$(bars "${PACKAGE_FILES[@]}")"
# The package was hashed while it was written: once the status says it is checked, the
# percentage is emptied and shows nothing more until the next status (no second pass over it).
if verifying=$(recorded_line $IDC_STATUS "$PROFILE_VERIFYING_STATUS" "$from"); then
  expect_eq "signed: the percentage while verifying" \
    "$(tail -n +"$verifying" "$RECORD_LOG" | awk -F '\t' -v status=$((IDC_STATUS)) -v percent=$((IDC_PERCENT)) \
         'NR > 1 && $1 == status { exit } $1 == percent { print "[" $2 "]" }' | paste -sd '|')" "[]"
else
  fail "signed: the verifying status was never shown"
fi
expect_eq "every run asked for the package, then for its signature" \
  "$(grep -o "GET /update/[^ ]*" "$NGINX_LOG" | paste -sd ' ')" \
  "$(for _ in {1..7}; do echo "GET /update/$archive GET /update/$archive.sig"; done | paste -sd ' ')"
finish

#!/usr/bin/env bash
# shellcheck disable=SC2317  # row functions and cleanup are called indirectly
# A keyed build hashes the package while it writes it, across the retries after a cut: the
# rest of the same package (206) continues the hash, a whole package (200) starts it again,
# and a rest whose ETag and Last-Modified changed is not stitched but fetched again from zero,
# as an unkeyed build does. Each row cuts the first response after 20000 bytes; the run must
# end with the signed package installed: the one the signature that was served signs.
set -uo pipefail
. "$(dirname "$0")/testkit.sh"

win_dir='C:\Testkit Resumed\'
dir="$(drive_c)/Testkit Resumed"
link=http://link.example/page
trap 'fault_stop; testkit_cleanup "$dir"' EXIT
find_temp_archive || { fail "no temporary folder"; finish; }
signed_package "$E2E_STATE/resume-first" 0 "the first package" || { fail "cannot make the first package"; finish; }
first_package=$SIGNED_PACKAGE
signed_package "$E2E_STATE/resume-second" 0 "the second package" || { fail "cannot make the second package"; finish; }
second_package=$SIGNED_PACKAGE

# requests: the fault server's log as "PATH" or "PATH RANGE" lines joined by " | ".
requests() {
  sed -n 's/^"GET \([^ ]*\) [^"]*" "[^"]*" [a-z-]*\( "\(.*\)"\)\{0,1\}$/\1 \3/p' "$FAULT_LOG" |
    sed 's/ $//' | paste -sd '|' | sed 's/|/ | /g'
}

# row WHAT PACKAGE REQUESTS FAULT_OPTION...: one install against the fault server started with
# the options; PACKAGE is what must be installed, REQUESTS what must have been asked for.
row() {
  local what=$1 package=$2 expected=$3
  shift 3
  echo "== $what"
  forget_install "$dir"
  rm -f "$TEMP_ARCHIVE"
  fault_start "$first_package" --sig "$first_package.sig" --cut-after 20000 "$@" ||
    { fail "$what: fault server did not start"; return; }
  setup_start "/axs:$link" "$FAULT_URL" -r || { fail "$what: setup did not start"; fault_stop; return; }
  install_into "$win_dir" || fail "$what: Install and agreement"
  expect_setup_ended "$what"
  expect_package_installed "$what" "$package" "$dir"
  expect_eq "$what: requests" "$(requests)" "$expected"
  expect_eq "$what: the archive gone" "$(archive_state)" absent
  expect_started "$what" "$win_dir" "$dir" "-r"
  fault_stop
}

row "the rest of the same package (206): the hash goes on" "$first_package" \
  "/update/p.zip | /update/p.zip bytes=20000- | /update/p.zip.sig"
row "the whole package again (200): the hash starts again" "$first_package" \
  "/update/p.zip | /update/p.zip bytes=20000- | /update/p.zip.sig" --mode no-range
row "the rest of another package (206, new validators): from zero again" "$second_package" \
  "/update/p.zip | /update/p.zip bytes=20000- | /update/p.zip | /update/p.zip.sig" \
  --replace-body "$second_package" --replace-sig "$second_package.sig"
finish

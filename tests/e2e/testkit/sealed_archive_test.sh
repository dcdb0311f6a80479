#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# The downloaded archive is the setup's alone from its creation to its deletion. While a keyed
# run downloads the package, waits for its signature and extracts it, another program of the
# user tries to open the archive for writing, to open it for deleting and to rename it
# (uidriver try-open): each is refused with a sharing violation (32). The files installed are
# the signed package's, and the archive is gone once the setup has ended.
set -uo pipefail
. "$(dirname "$0")/testkit.sh"

win_dir='C:\Testkit Sealed\'
dir="$(drive_c)/Testkit Sealed"
link=http://link.example/page
trap 'fault_stop; testkit_cleanup "$dir"' EXIT
forget_install "$dir"
find_temp_archive || { fail "no temporary folder"; finish; }
rm -f "$TEMP_ARCHIVE"
archive_text="$(wine_run cmd /c echo %TMP% </dev/null 2>/dev/null | tr -d '\r')\\$TEMP_ARCHIVE_NAME"

# The body comes in 4 KiB pieces, the signature 3 s late and 96 MiB of zeros take seconds to
# extract: time to look at each stage.
signed_package "$E2E_STATE/sealed" 96 || { fail "cannot make the package"; finish; }
fault_start "$SIGNED_PACKAGE" --sig "$SIGNED_PACKAGE.sig" --sig-delay-ms 3000 \
  --mode slow --slow-bytes 4096 --slow-delay-ms 40 || { fail "fault server did not start"; finish; }
setup_start "/axs:$link" "$FAULT_URL" -s || { fail "setup did not start"; finish; }
install_into "$win_dir" || fail "Install and agreement"

# probe WHAT STATUS: once the status line shows STATUS, another program tries the archive.
probe() {
  drv wait-text "$SETUP_TITLE" $IDC_STATUS "$2" 30000 >/dev/null || { fail "$1: status '$2' not seen"; return; }
  expect_eq "$1: writing, deleting and renaming the archive refused" \
    "$(drv try-open "$archive_text" | tr -d '\r')" "write=32 delete=32 rename=32"
}
probe "downloading" "$DOWNLOADING_STATUS"
probe "waiting for the signature" "$PROFILE_VERIFYING_STATUS"
probe "extracting" "복사 중... zeros.bin"

expect_setup_ended "sealed"
expect_package_installed "sealed" "$SIGNED_PACKAGE" "$dir"
expect_eq "the archive gone with the setup" "$(archive_state)" absent
expect_eq "the package, then its signature" "$(grep -o 'GET [^ ]*' "$FAULT_LOG" | paste -sd ' ')" \
  "GET /update/p.zip GET /update/p.zip.sig"
expect_started "sealed" "$win_dir" "$dir" "-s"
finish

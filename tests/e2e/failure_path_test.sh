#!/usr/bin/env bash
# A run that fails returns the dialog to idle with the general failure message,
# and the next Install press shows the agreement again.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
trap setup_stop EXIT
setup_start || { fail "main dialog did not appear"; finish; }

# No package server runs for this scenario: the download cannot succeed. The
# stage's own notice comes first, then the general message without an icon.
find_temp_archive
install_into 'C:\velmora-failure\' || fail "could not start the run"
msgbox_of "$SETUP_TITLE" 30000 || fail "no download notice"
expect_eq "download notice" "${MSG_TEXT:-}" "$DOWNLOAD_FAILED_TEXT"
drv answer "$SETUP_TITLE" $IDOK >/dev/null
msgbox_of "$SETUP_TITLE" 10000 || fail "no general failure message"
expect_eq "general failure message" "${MSG_TEXT:-}" "$FAILED_TEXT"
expect_eq "the failure message: OK alone, no icon" "${MSG_KIND:-}" "$BOX_OK"
drv answer "$SETUP_TITLE" $IDOK >/dev/null
expect_controls_idle
expect_eq "percent emptied" "$(drv text "$SETUP_TITLE" $IDC_PERCENT)" ""
expect_eq "no archive left" "$(archive_state)" "absent"

press_install 'C:\velmora-failure\'
expect_ok drv wait-window "$AGREEMENT_TITLE"
drv click "$AGREEMENT_TITLE" $IDCANCEL >/dev/null
finish

#!/usr/bin/env bash
# The licence agreement at Install: its text, the tick reminder, the ways to
# decline (nothing changes, nothing starts) and acceptance.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
trap setup_stop EXIT
setup_start || { fail "main dialog did not appear"; finish; }
folder='C:\velmora-agreement\'

# open_agreement: Install pressed with an accepted folder.
open_agreement() {
  press_install "$folder" && drv wait-window "$AGREEMENT_TITLE" >/dev/null
}

# expect_declined WHAT: back to idle, nothing posted, no message.
expect_declined() {
  expect_ok drv wait-gone "$AGREEMENT_TITLE"
  expect_eq "$1: no message" "$(drv msgbox-count "$SETUP_TITLE")" "0"
  expect_controls_idle
  expect_eq "$1: percent untouched" "$(drv text "$SETUP_TITLE" $IDC_PERCENT)" "0 %"
}

open_agreement || fail "agreement did not open"
expect_eq "box unticked when it opens" "$(drv state "$AGREEMENT_TITLE" $IDC_AGREE_CHECK | grep -o 'checked=.')" "checked=0"
expect_eq "accept button has the focus" "$(drv state "$AGREEMENT_TITLE" $IDOK | grep -o 'focus=.')" "focus=1"
text=$(drv text "$AGREEMENT_TITLE" $IDC_AGREEMENT_TEXT)
expected=$(tr -d '\r' <"$SOURCE_DIR/profile/velmora/contract.txt")
expect_eq "the whole agreement text is shown" "$(tr -d '\r' <<<"$text")" "$expected"

# Accept without the tick: reminder with its own caption, dialog stays.
drv click "$AGREEMENT_TITLE" $IDOK >/dev/null
if msgbox_of "$AGREEMENT_TITLE"; then
  expect_eq "reminder caption" "$MSG_CAPTION" "$TICK_REMINDER_CAPTION"
  expect_eq "reminder text" "$MSG_TEXT" "$TICK_REMINDER"
  expect_eq "reminder: OK alone, no icon" "$MSG_KIND" "$BOX_OK"
  drv answer "$AGREEMENT_TITLE" $IDOK >/dev/null
else
  fail "no reminder without the tick"
fi
expect_eq "agreement still open" "$(drv count-windows "$AGREEMENT_TITLE")" "1"

# Ticked then unticked counts as unticked.
drv check "$AGREEMENT_TITLE" $IDC_AGREE_CHECK 1 >/dev/null
drv check "$AGREEMENT_TITLE" $IDC_AGREE_CHECK 0 >/dev/null
drv click "$AGREEMENT_TITLE" $IDOK >/dev/null
msgbox_of "$AGREEMENT_TITLE" && drv answer "$AGREEMENT_TITLE" $IDOK >/dev/null || fail "no reminder after untick"

# The three ways to decline.
drv click "$AGREEMENT_TITLE" $IDCANCEL >/dev/null
expect_declined "decline button"
open_agreement || fail "agreement did not open again"
drv key "$AGREEMENT_TITLE" esc >/dev/null
expect_declined "Esc"
open_agreement || fail "agreement did not open a third time"
drv close "$AGREEMENT_TITLE" >/dev/null
expect_declined "close box"
expect_eq "folder text unchanged" "$(drv text "$SETUP_TITLE" $IDC_PATH)" "$folder"

# Accepted: the run starts (folder controls disabled).
open_agreement && accept_agreement || fail "could not accept"
expect_eq "folder field disabled once the run starts" \
  "$(drv state "$SETUP_TITLE" $IDC_PATH | grep -o 'enabled=.')" "enabled=0"
find_temp_archive
expect_download_failure "no package server"  # nothing listens on 127.0.0.1:80 here
finish

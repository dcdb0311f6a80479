#!/usr/bin/env bash
# Cancel during a slow body: the question comes before the next read; No goes on to a complete
# archive (the body arrives in pieces, so reads return less than a block in the middle), Yes
# ends with the abort message alone and removes the partial archive.
set -u
. "$(dirname "$0")/lib.sh"

# 1000 bytes every 20 ms: about 3 s for the body.
fault_scenario 150000 --mode slow --slow-bytes 1000 --slow-delay-ms 20
setup_start "/axs:L $FAULT_URL A" || { fail "setup did not start"; finish; }

# cancel_question WHAT: Cancel pressed once the body flows; the question is checked.
cancel_question() {
  install_into "$E2E_DIR" || fail "$1: install not started"
  drv wait-text "$SETUP_TITLE" $IDC_STATUS "$DOWNLOADING_STATUS" >/dev/null ||
    fail "$1: no download status"
  drv click "$SETUP_TITLE" $IDCANCEL >/dev/null
  msgbox_of "$SETUP_TITLE" || { fail "$1: no question"; return; }
  expect_box "$1: question" "$CANCEL_QUESTION"
  expect_eq "$1: the dialog keeps running" "$(drv state "$SETUP_TITLE" $IDC_INSTALL | grep -o 'enabled=[01]')" \
    "enabled=0"
  if [[ $(drv text "$SETUP_TITLE" $IDC_PERCENT) =~ ^\ *[0-9]{1,2}%$ ]]; then
    _pass "$1: a percentage below 100 shown"
  else
    fail "$1: percentage '$(drv text "$SETUP_TITLE" $IDC_PERCENT)'"
  fi
  expect_eq "$1: partial archive on disk" "$(archive_state)" present
}

cancel_question "No"
drv answer "$SETUP_TITLE" $IDNO >/dev/null
expect_downloaded "No: the download completes" "$BODY"

cancel_question "Yes"
expect_download_aborted "Yes"
expect_eq "Yes: no further message" "$(drv msgbox-count "$SETUP_TITLE")" 0
finish

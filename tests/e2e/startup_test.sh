#!/usr/bin/env bash
# Start-up: the main dialog's texts and states, the single-instance guard,
# minimised painting and Cancel while idle.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
trap setup_stop EXIT

setup_start || { fail "main dialog did not appear"; finish; }

expect_eq "status" "$(drv text "$SETUP_TITLE" $IDC_STATUS)" "$IDLE_STATUS"
expect_eq "percent keeps its template text" "$(drv text "$SETUP_TITLE" $IDC_PERCENT)" "0 %"
expect_eq "default folder" "$(drv text "$SETUP_TITLE" $IDC_PATH)" 'C:\users\root\AppData\Local\Velmora'
banner=$(drv text "$SETUP_TITLE" $IDC_BANNER_TEXT)
expect_eq "banner starts with the title" "${banner%%$'\n'*}" "$SETUP_TITLE "
expect_eq "marker text" "$(drv text "$SETUP_TITLE" $IDC_MARKER)" "$PROFILE_INSTANCE_MARKER"
expect_eq "marker hidden and disabled" "$(drv state "$SETUP_TITLE" $IDC_MARKER | cut -d' ' -f1-2)" \
  "visible=0 enabled=0"
expect_eq "Install is the default button with the focus" \
  "$(drv state "$SETUP_TITLE" $IDC_INSTALL | grep -o 'default=1.*focus=1')" "default=1 checked=0 focus=1"

# A second start finds the running dialog, raises it and ends without a window.
start_program "$SETUP_EXE"
second=$PROGRAM_PID
if wait_exit "$second" 15; then _pass "second start ends by itself"; else fail "second start still running"; kill "$second"; fi
expect_eq "still one setup window" "$(drv count-windows "$SETUP_TITLE")" "1"
expect_eq "the first one is in front" "$(drv foreground)" "$SETUP_TITLE"

# Minimised, the dialog paints its icon; it is raised again by a new start but not restored.
expect_ok drv minimize "$SETUP_TITLE"
expect_eq "minimised" "$(drv iconic "$SETUP_TITLE")" "1"
start_program "$SETUP_EXE"
wait_exit "$PROGRAM_PID" 15 || fail "second start beside a minimised setup still running"
expect_eq "a minimised setup is not restored" "$(drv iconic "$SETUP_TITLE")" "1"
expect_ok drv restore "$SETUP_TITLE"

# Cancel while idle closes the dialog and ends the process.
expect_ok drv click "$SETUP_TITLE" $IDCANCEL
if wait_exit "$SETUP_PID" 10; then _pass "Cancel while idle ends the process"; else fail "setup still running after Cancel"; fi
finish

#!/usr/bin/env bash
# The setup's own path must have its last "_" before its last ".": a copy named setup.exe fails
# at once, before any request; a "_" in a folder name is enough.
set -u
. "$(dirname "$0")/lib.sh"

fault_scenario 5000
cp "$SETUP_EXE" "$(drive_c)/setup.exe"
mkdir -p "$(drive_c)/my_files"
cp "$SETUP_EXE" "$(drive_c)/my_files/setup.exe"
trap 'setup_stop; servers_stop; rm -rf "$(drive_c)/setup.exe" "$(drive_c)/my_files"' EXIT

SETUP_EXE='C:\setup.exe' setup_start "/axs:L $FAULT_URL A" || { fail "copy did not start"; finish; }
for press in first second; do
  install_into "$E2E_DIR" || fail "$press press: install not started"
  msgbox_of "$SETUP_TITLE" || fail "$press press: no message"
  expect_box "$press press: the general message, no download notice" "$FAILED_TEXT"
  drv answer "$SETUP_TITLE" $IDOK >/dev/null
  expect_controls_idle
done
expect_eq "no request reached the server" "$(fault_requests)" 0
expect_eq "no archive" "$(archive_state)" absent
setup_stop

SETUP_EXE='C:\my_files\setup.exe' setup_start "/axs:L $FAULT_URL A" ||
  { fail "copy in my_files did not start"; finish; }
install_into "$E2E_DIR" || fail "my_files: install not started"
expect_downloaded "my_files\\setup.exe" "$BODY"
expect_eq "one request" "$(fault_requests)" 1
finish

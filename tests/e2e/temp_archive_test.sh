#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# What stands at the temporary archive's name before a download: a link planted there by
# another program of the user (made here from Linux, in the prefix's temporary folder) is
# refused, never followed: the download fails with its notice and archive-create (Win32 80,
# "the file exists"), the link stays as it was and what it leads to keeps its bytes. And a setup
# killed during its download leaves no archive: the file goes with its handle.
set -u
. "$(dirname "$0")/lib.sh"

fault_scenario 200000 --mode slow --slow-bytes 2000 --slow-delay-ms 20
temp_folder=$(dirname "$TEMP_ARCHIVE")
target=$temp_folder/someone_elses.bin  # beside it: a hard link needs the same file system
outside=$(drive_c)/someone_elses_folder
cleanup() {
  setup_stop
  servers_stop
  rm -rf "$TEMP_ARCHIVE" "$target" "$outside"
}
trap cleanup EXIT
mkdir -p "$outside"

# planted_link WHAT PLANT: PLANT (a command) makes the link; Install must fail at the archive.
planted_link() {
  rm -rf "$TEMP_ARCHIVE"
  printf 'not the package' >"$target"
  eval "$2" || { fail "$1: cannot plant it"; return; }
  local before
  before=$(stat -c '%F %h %N' "$TEMP_ARCHIVE")
  : >"$PROGRAM_LOG"
  install_into "$E2E_DIR" || fail "$1: install not started"
  msgbox_of "$SETUP_TITLE" 20000 || { fail "$1: no message box"; return; }
  expect_box "$1: download notice" "$DOWNLOAD_FAILED_TEXT"
  drv answer "$SETUP_TITLE" $IDOK >/dev/null
  msgbox_of "$SETUP_TITLE" || { fail "$1: no failure message"; return; }
  expect_box "$1: general failure message" "$FAILED_TEXT"
  drv answer "$SETUP_TITLE" $IDOK >/dev/null
  drv wait-text "$SETUP_TITLE" $IDC_STATUS "$IDLE_STATUS" >/dev/null || fail "$1: not idle again"
  expect_eq "$1: failure line" "$(failure_lines | tail -n 1)" "download failed: archive-create (Win32 80)"
  expect_eq "$1: the link as it was" "$(stat -c '%F %h %N' "$TEMP_ARCHIVE")" "$before"
  expect_eq "$1: its target untouched" "$(cat "$target" 2>&1)" "not the package"
  expect_eq "$1: nothing in the folder it may lead to" "$(ls -A "$outside")" ""
}

setup_start_traced "/axs:L $FAULT_URL A" || { fail "setup did not start"; finish; }
planted_link "a hard link" 'ln "$target" "$TEMP_ARCHIVE"'
planted_link "a symbolic link to a file" 'ln -s "$target" "$TEMP_ARCHIVE"'
planted_link "a symbolic link that leads nowhere" 'ln -s "$target.missing" "$TEMP_ARCHIVE"'
planted_link "a symbolic link to a folder" 'ln -s "$outside" "$TEMP_ARCHIVE"'

# Killed while it downloads: Wine closes the process's handles, and the archive goes with its.
rm -rf "$TEMP_ARCHIVE"
install_into "$E2E_DIR" || fail "killed: install not started"
wait_percent_moved || fail "killed: the download did not start"
expect_eq "killed: the archive while the download runs" "$(archive_state)" present
kill -KILL "$SETUP_PID"
wait_exit "$SETUP_PID" 10 || fail "killed: the setup did not end"
SETUP_PID=
gone=absent
wait_ready "$FAULT_PID" 50 0.1 test "$(archive_state)" = absent || gone=$(archive_state)
expect_eq "killed: the archive gone with the process" "$gone" absent
finish

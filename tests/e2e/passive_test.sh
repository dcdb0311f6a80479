#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# Passive runs (/passive): the dialog shows its progress while nobody is at it. Install is
# pressed by itself with the /dir: folder; no agreement, no question and no message box shows at
# any point, and the run ends by itself with its exit code: 0 installed (the product not
# started), 1603 when the download fails, 1602 when Cancel is pressed. The fault server serves
# the package slowly enough for the progress to be seen ("/axs:").
set -uo pipefail
here=$(dirname "$0")
. "$here/lib.sh"
. "$here/install_state.sh"

package=${BUILD_DIR:?}/package/update/$PROFILE_ARCHIVE_NAME
win_dir='C:\Velmora Passive\'
dir="$(drive_c)/Velmora Passive"
log_win='C:\velmora-passive.log'
log="$(drive_c)/velmora-passive.log"
passive="/passive /accept-licence /log:$log_win /dir:\"${win_dir%\\}\" /axs:L $FAULT_URL A"

cleanup() {
  [ -n "${RUN_PID:-}" ] && kill "$RUN_PID" 2>/dev/null
  drv close "$SETUP_TITLE" 2000 >/dev/null 2>&1 || true
  servers_stop
  forget_install "$dir"
  rm -f "$log"
}
trap cleanup EXIT

# passive_start WHAT: a passive run started with its log emptied; its dialog shows, with
# Install already pressed, and the download's percentage moves.
passive_start() {
  rm -f "$log"
  setup_run_start "$passive"
  drv wait-window "$SETUP_TITLE" 20000 >/dev/null || fail "$1: no dialog"
  wait_percent_moved 20 || fail "$1: the percentage did not move"
  expect_eq "$1: Install pressed by itself" "$(drv state "$SETUP_TITLE" $IDC_INSTALL | grep -o 'enabled=[01]')" \
    "enabled=0"
}

# passive_ends WHAT CODE: the run ended by itself with exit code CODE, and the dialog was its
# only window: no agreement, no box.
passive_ends() {
  setup_run_wait || fail "$1: the setup did not end"
  expect_eq "$1: exit code" "$RUN_EXIT" "$2"
  expect_eq "$1: its only window the dialog" "$RUN_WINDOWS" "$SETUP_TITLE"
  expect_eq "$1: temporary archive gone" "$(archive_state)" absent
}

forget_install "$dir"
find_temp_archive || { fail "no temporary folder"; finish; }
rm -f "$TEMP_ARCHIVE"
# 1000 bytes every 100 ms: some 4 s for the package.
fault_start "$package" --mode slow --slow-bytes 1000 --slow-delay-ms 100 || { fail "fault server did not start"; finish; }

passive_start "install"
passive_ends "install" 0
expect_package_installed "install" "$package" "$dir"
expect_ok test -f "$(desktop_dir)/$PRODUCT_LINK"
expect_eq "install: the whole uninstall entry" "$(dated_entry_values)" "$(expected_entry "$win_dir" "$package")"
expect_eq "install: the log" "$(log_texts "$log")" "setup started: $passive
download start
download ok
extract start
extract ok
product not started: unattended run
setup ended: exit 0"
expect_fail test -e "$dir/started.log"
expect_eq "install: the product not started" "$(drv count-windows "$PRODUCT_WINDOW")" 0
forget_install "$dir"

# Cancel pressed: the stage's question is answered "stop" in place of a person.
passive_start "cancel"
drv click "$SETUP_TITLE" $IDCANCEL >/dev/null || fail "cancel: Cancel could not be pressed"
passive_ends "cancel" 1602
expect_eq "cancel: the log" "$(log_texts "$log" | sed -n '3,4p')" "question answered yes (stop), not shown: $CANCEL_QUESTION
download failed: user-abort"
expect_fail test -e "$dir/$PRODUCT_EXE"

# A download that fails: its notice is not shown, the run ends with 1603.
fault_mode 404
rm -f "$log"
setup_run_start "$passive"
passive_ends "404" 1603
expect_eq "404: the log" "$(log_texts "$log" | sed -n '3,4p')" "notice not shown: ${DOWNLOAD_FAILED_TEXT//\\n/ }
download failed: status (HTTP 404)"
expect_fail test -e "$dir"
expect_fail entry_values
finish

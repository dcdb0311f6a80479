#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# Quiet runs (/quiet), as a deployment tool starts them: no window of the setup at any point, an
# exit code for each end, and a log. A whole install (files, shortcuts, the whole uninstall
# entry, the product not started); a package server answering 404 (1603, nothing installed);
# the command lines that are refused before anything is done (1639); and another setup running
# beside it, with a window or without one (1618, the other one not raised).
set -uo pipefail
here=$(dirname "$0")
. "$here/lib.sh"
. "$here/install_state.sh"

package=${BUILD_DIR:?}/package/update/$PROFILE_ARCHIVE_NAME
win_dir='C:\Velmora Quiet\'
dir="$(drive_c)/Velmora Quiet"
log_win='C:\velmora-quiet.log'
log="$(drive_c)/velmora-quiet.log"
quiet="/quiet /accept-licence /log:$log_win"

held=
cleanup() {
  [ -n "${RUN_PID:-}" ] && kill "$RUN_PID" 2>/dev/null
  [ -n "$held" ] && kill "$held" 2>/dev/null
  setup_stop
  drv close "$PRODUCT_WINDOW" 2000 >/dev/null 2>&1 || true
  servers_stop
  forget_install "$dir"
  rm -f "$log"
}
trap cleanup EXIT

# quiet_run WHAT ARGS: a quiet run with ARGS, its log emptied first; it must end by itself
# without showing any window.
quiet_run() {
  rm -f "$log"
  setup_run "$2" || fail "$1: the setup did not end"
  expect_eq "$1: no window at any point" "$RUN_WINDOWS" ""
}

forget_install "$dir"
find_temp_archive || { fail "no temporary folder"; finish; }
nginx_start "$BUILD_DIR/package" || { fail "package server did not start"; finish; }

# ---- The whole install ------------------------------------------------------------------------
quiet_run "install" "$quiet /dir:\"${win_dir%\\}\""
expect_eq "install: exit code" "$RUN_EXIT" 0
expect_package_installed "install" "$package" "$dir"
expect_eq "install: temporary archive gone" "$(archive_state)" absent
expect_ok test -f "$(desktop_dir)/$PRODUCT_LINK"
expect_eq "install: group" "$(LC_ALL=C ls "$(group_dir)" | tr '\n' '|')" "$UNINST_LINK|$PRODUCT_LINK|"
expect_eq "install: the whole uninstall entry" "$(dated_entry_values)" "$(expected_entry "$win_dir" "$package")"
expect_eq "install: the log" "$(log_texts "$log")" "setup started: $quiet /dir:\"${win_dir%\\}\"
download start
download ok
extract start
extract ok
product not started: unattended run
setup ended: exit 0"
expect_fail test -e "$dir/started.log"
expect_eq "install: the product not started" "$(drv count-windows "$PRODUCT_WINDOW")" 0

# ---- Beside another setup: 1618 at once, the other one not raised ------------------------------
# A setup with its window, and the installed product in front of it.
setup_start || fail "beside: the setup did not start"
start_program "${win_dir}$PRODUCT_EXE"
expect_ok drv wait-window "$PRODUCT_WINDOW" 10000
front=$(drv foreground)
expect_eq "beside a setup window: the product is in front" "$front" "$PRODUCT_WINDOW"
quiet_run "beside a setup window" "$quiet /dir:\"${win_dir%\\}\""
expect_eq "beside a setup window: exit code" "$RUN_EXIT" 1618
expect_eq "beside a setup window: the log" "$(log_texts "$log" | sed -n 2p)" "refused: another setup is running"
expect_eq "beside a setup window: what is in front" "$(drv foreground)" "$front"
expect_eq "beside a setup window: it is still there, idle" "$(drv text "$SETUP_TITLE" "$IDC_STATUS")" "$IDLE_STATUS"
setup_stop
drv close "$PRODUCT_WINDOW" >/dev/null && drv wait-gone "$PRODUCT_WINDOW" >/dev/null
forget_install "$dir"

# A quiet setup, which has no window, held at its download by a server that never answers.
fault_start "$package" --mode hang --hang-seconds 60 || fail "fault server did not start"
rm -f "$log"
setup_run_start "$quiet /dir:\"${win_dir%\\}\" /axs:L $FAULT_URL A"
held=$RUN_PID held_out=$RUN_OUT
fault_asked() { [ "$(fault_requests)" -gt 0 ]; }
wait_ready "$held" 200 0.1 fault_asked || fail "beside a quiet setup: no request came"
setup_run "/quiet /accept-licence /dir:C:\\velmora-second" || fail "beside a quiet setup: it did not end"
expect_eq "beside a quiet setup: exit code" "$RUN_EXIT" 1618
expect_eq "beside a quiet setup: no window" "$RUN_WINDOWS" ""
fault_stop  # the held download fails now
setup_run_wait "$held" "$held_out" || fail "the held quiet setup did not end"
held=
expect_eq "the held quiet setup: exit code" "$RUN_EXIT" 1603
expect_eq "the held quiet setup: no window" "$RUN_WINDOWS" ""
expect_eq "the held quiet setup: the download failed" "$(log_texts "$log" | grep -c '^download failed: ')" 1
expect_fail test -e "$(drive_c)/velmora-second"

# ---- A package server answering 404 -----------------------------------------------------------
nginx_stop
mkdir -p "$E2E_STATE/empty-root"
nginx_start "$E2E_STATE/empty-root" || fail "package server did not start"
quiet_run "404" "$quiet /dir:\"${win_dir%\\}\""
expect_eq "404: exit code" "$RUN_EXIT" 1603
expect_eq "404: the log" "$(log_texts "$log")" "setup started: $quiet /dir:\"${win_dir%\\}\"
download start
notice not shown: ${DOWNLOAD_FAILED_TEXT//\\n/ }
download failed: status (HTTP 404)
setup ended: exit 1603"
expect_fail test -e "$dir"
expect_fail entry_values
expect_fail test -e "$(desktop_dir)/$PRODUCT_LINK"
expect_eq "404: temporary archive gone" "$(archive_state)" absent

# ---- Refused before anything is done: 1639 ----------------------------------------------------
# One log for these runs: each appends its lines to the last one's.
rm -f "$log"
while IFS='|' read -r what args line; do
  setup_run "$args" || fail "$what: the setup did not end"
  expect_eq "$what: no window at any point" "$RUN_WINDOWS" ""
  expect_eq "$what: exit code" "$RUN_EXIT" 1639
  expect_eq "$what: the log" "$(log_texts "$log" | tail -2)" "$line
setup ended: exit 1639"
  expect_fail test -e "$dir"
done <<EOT
without /accept-licence|/quiet /log:$log_win /dir:"${win_dir%\\}"|refused: licence not accepted (/accept-licence missing)
a folder the rules refuse|$quiet /dir:C:relative|refused: install folder C:relative
a switch that is none|$quiet /dir:"${win_dir%\\}" /silent|refused: bad command line
/quiet and /passive|$quiet /passive|refused: bad command line
EOT
expect_eq "the four runs' lines appended in one log" "$(log_texts "$log" | grep -c '^setup started: ')" 4
finish

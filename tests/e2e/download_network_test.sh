#!/usr/bin/env bash
# The network check before the download: without a network the setup says so and sends nothing;
# where sensapi.dll cannot be loaded it cannot ask, and tries the download.
set -u
. "$(dirname "$0")/lib.sh"

fault_scenario 3000
# The setup takes sensapi.dll from the system folder alone, so the stand-in that reports no
# network takes the place of Wine's own file in the prefix's system folder for this build's
# bitness, and Wine's file is put back when the script ends (or at its next start, after a run
# that was cut short).
case ${SETUP_WINE_BITS:-32} in 64) system_folder=system32 ;; *) system_folder=syswow64 ;; esac
system_sensapi=$(drive_c)/windows/$system_folder/sensapi.dll
wine_sensapi=$E2E_STATE/sensapi.wine.dll
restore_sensapi() { [ ! -f "$wine_sensapi" ] || mv -f "$wine_sensapi" "$system_sensapi"; }
restore_sensapi
trap 'setup_stop; servers_stop; restore_sensapi' EXIT
cp "$system_sensapi" "$wine_sensapi" || { fail "no sensapi.dll in $system_folder"; finish; }
cp "${OFFLINE_SENSAPI:?}" "$system_sensapi" || { fail "no stand-in sensapi.dll"; finish; }

WINEDLLOVERRIDES="$WINE_ENV_DLLOVERRIDES;sensapi=n" \
  setup_start "/axs:L $FAULT_URL A" || { fail "offline setup did not start"; finish; }
install_into "$E2E_DIR" || fail "offline: install not started"
msgbox_of "$SETUP_TITLE" || fail "offline: no message"
expect_box "offline: the no-network notice" "$NO_NETWORK_TEXT"
drv answer "$SETUP_TITLE" $IDOK >/dev/null
msgbox_of "$SETUP_TITLE" || fail "offline: no failure message"
expect_box "offline: then the general failure message" "$FAILED_TEXT"
drv answer "$SETUP_TITLE" $IDOK >/dev/null
expect_controls_idle
expect_eq "offline: no request" "$(fault_requests)" 0
expect_eq "offline: no archive" "$(archive_state)" absent
setup_stop
restore_sensapi

WINEDLLOVERRIDES="$WINE_ENV_DLLOVERRIDES;sensapi=" \
  setup_start "/axs:L $FAULT_URL A" || { fail "setup without sensapi did not start"; finish; }
install_into "$E2E_DIR" || fail "no sensapi: install not started"
expect_downloaded "no sensapi: the download is tried" "$BODY"
expect_eq "no sensapi: one request" "$(fault_requests)" 1
finish

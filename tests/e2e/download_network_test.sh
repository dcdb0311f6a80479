#!/usr/bin/env bash
# The network check before the download: without a network the setup says so and sends nothing;
# where sensapi.dll cannot be loaded it cannot ask, and tries the download.
set -u
. "$(dirname "$0")/lib.sh"

fault_scenario 3000
offline=$E2E_STATE/offline
mkdir -p "$offline"
cp "$SETUP_EXE" "$offline/velmora_setup.exe"
cp "${OFFLINE_SENSAPI:?}" "$offline/sensapi.dll" || { fail "no stand-in sensapi.dll"; finish; }

WINEDLLOVERRIDES="$WINE_ENV_DLLOVERRIDES;sensapi=n" SETUP_EXE=$offline/velmora_setup.exe \
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

WINEDLLOVERRIDES="$WINE_ENV_DLLOVERRIDES;sensapi=" \
  setup_start "/axs:L $FAULT_URL A" || { fail "setup without sensapi did not start"; finish; }
install_into "$E2E_DIR" || fail "no sensapi: install not started"
expect_downloaded "no sensapi: the download is tried" "$BODY"
expect_eq "no sensapi: one request" "$(fault_requests)" 1
finish

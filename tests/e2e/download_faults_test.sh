#!/usr/bin/env bash
# The download's handling of the temporary archive across runs of one process, the bytes it
# keeps, and a file-size limit that cuts the archive short. Each bad response on its own
# (messages, one request, no archive, nothing outside the install folder, a retry that
# completes) is a row of fault_matrix_test.sh.
set -u
. "$(dirname "$0")/lib.sh"

body=$E2E_STATE/fault-body.bin
make_body "$body" 70001
find_temp_archive || { fail "no temporary folder"; finish; }
rm -f "$TEMP_ARCHIVE"
fault_start "$body" || { fail "fault server did not start"; finish; }
trap 'setup_stop; servers_stop' EXIT

setup_start "/axs:L $FAULT_URL A" || { fail "setup did not start"; finish; }

fault_mode ok
install_into "$E2E_DIR" || fail "ok: install not started"
expect_downloaded "ok" "$body"
expect_eq "one request for the URL's path, with the session's agent" \
  "$(grep -c "^\"GET /update/p.zip HTTP/1.1\" \"$SESSION_AGENT\" ok$" "$FAULT_LOG")" 1

# A body longer than announced: WinInet itself stops at Content-Length, so the worker never sees
# the surplus and the archive holds exactly the announced bytes, never more.
head -c 35000 "$body" >"$body.announced"
fault_mode long
install_into "$E2E_DIR" || fail "long: install not started"
expect_downloaded "long" "$body.announced"

# A rejected response leaves the earlier run's archive alone; a body cut short deletes it.
fault_mode 404
install_into "$E2E_DIR" || fail "404 again: install not started"
expect_download_failure "404 after a download" present
fault_mode short
install_into "$E2E_DIR" || fail "short again: install not started"
expect_download_failure "short after a download"

# A full disk: the setup may write no file beyond 64 KiB (RLIMIT_FSIZE, with SIGXFSZ ignored so
# the write fails instead), so the archive's writes fall short in the middle of the body.
setup_stop
fault_mode ok
(trap '' XFSZ && ulimit -f 64 && exec "$WINE_RUN" "$SETUP_EXE" "/axs:L $FAULT_URL A") </dev/null >/dev/null 2>&1 &
SETUP_PID=$!
drv wait-window "$SETUP_TITLE" 20000 >/dev/null || fail "limited setup did not start"
install_into "$E2E_DIR" || fail "disk full: install not started"
expect_download_failure "disk full"
finish

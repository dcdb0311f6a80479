#!/usr/bin/env bash
# The package comes from nginx by the profile's host and path, and the temporary archive holds
# exactly what the server sent, at the block boundaries and for a body of a few MB; the
# percentage ("%3d%%") ends at "100%" for each. The body is no zip, so the run then fails, and the
# failure empties the percentage before its message: the texts the setup wrote are recorded.
set -u
. "$(dirname "$0")/lib.sh"

www=$E2E_STATE/www
package=$www/update/velmora_direct.zip
make_body "$package" 1
find_temp_archive || { fail "no temporary folder"; finish; }
nginx_start "$www" || { fail "nginx did not start"; finish; }
trap 'setup_stop; servers_stop' EXIT

setup_start || { fail "setup did not start"; finish; }
record_texts || fail "cannot record the setup's texts"
for size in 1 4095 4096 4097 3000000; do
  make_body "$package" "$size"
  from=$(($(recorded_lines) + 1))
  install_into "$E2E_DIR" || fail "$size bytes: install not started"
  expect_downloaded "$size bytes" "$package"
  expect_eq "$size bytes: the percentage ends at 100, then the failure empties it" \
    "$(recorded_texts $IDC_PERCENT "$from" | tail -n 2 | paste -sd '|')" "100%|"
done
expect_eq "requests for the profile's path, with the session's agent" \
  "$(grep -c "\"GET /update/velmora_direct.zip HTTP/1.1\" 200 .*\"$SESSION_AGENT\"" "$NGINX_LOG")" 5

# Closing the dialog deletes the archive that the last run left.
expect_eq "archive kept while the dialog is open" "$(archive_state)" present
drv click "$SETUP_TITLE" $IDCANCEL >/dev/null
expect_ok wait_exit "$SETUP_PID" 10
expect_eq "archive deleted when the dialog closes" "$(archive_state)" absent
finish

#!/usr/bin/env bash
# The "/axs:" package URL: without "http://" it still names host and path; a scheme the rule
# does not strip (capitals) or a URL without a path leaves no usable host, and the attempt ends
# with the download notice before any request.
set -u
. "$(dirname "$0")/lib.sh"

fault_scenario 3000

for url in HTTP://127.0.0.2/update/p.zip http://127.0.0.2; do
  setup_start "/axs:L $url A" || { fail "$url: setup did not start"; continue; }
  install_into "$E2E_DIR" || fail "$url: install not started"
  expect_download_failure "$url"
  setup_stop
done
expect_eq "no request reached the server" "$(fault_requests)" 0

setup_start "/axs:L 127.0.0.2/update/p.zip A" || { fail "no scheme: setup did not start"; finish; }
install_into "$E2E_DIR" || fail "no scheme: install not started"
expect_downloaded "no scheme" "$BODY"
expect_eq "one request, for the path" "$(grep -c '"GET /update/p.zip HTTP/1.1"' "$FAULT_LOG")" 1
finish

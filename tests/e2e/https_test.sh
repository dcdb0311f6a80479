#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# HTTPS package URLs ("/axs:") against nginx on loopback, with a certificate from a CA made for
# this run and trusted only inside the test prefix (taken out again at the end, also when the
# script fails). Over https, and over a redirect from plain HTTP to https, the package installs
# byte for byte; a transfer cut by a restart of nginx is taken up again with a ranged request
# (by the program built with resuming on).
# A CA the prefix does not trust, a certificate for another host name and a redirect from https
# to plain HTTP end the download with its notice and the general message, the temporary archive
# absent, and the debug output names the reason.
set -uo pipefail
here=$(dirname "$0")
. "$here/lib.sh"
. "$here/install_state.sh"

root=${BUILD_DIR:?}/package
PACKAGE=$root/update/velmora_direct.zip
[ -f "$PACKAGE" ] || { fail "no package at $PACKAGE"; finish; }
DIR_TEXT='C:\velmora-https\'
dir=$(drive_c)/velmora-https
PATH_ON_SERVER=/update/velmora_direct.zip

cleanup() {
  setup_stop
  drv close "$PRODUCT_WINDOW" 1000 >/dev/null 2>&1 || true
  tls_untrust >/dev/null 2>&1
  nginx_stop
  forget_install "$dir"
}
trap cleanup EXIT

find_temp_archive || { fail "no temporary folder"; finish; }
forget_install "$dir"
tls_ca_make "$E2E_STATE/tls" || { fail "cannot make the test CA"; finish; }
PACKAGE_SERVER_TLS=$TLS_DIR nginx_start "$root" || { fail "nginx with TLS did not start"; finish; }

# requests: the nginx log's "request status" pairs since the log was emptied, joined by "|".
requests() {
  sed -n 's/^[^"]*"GET \([^ ]*\) HTTP\/1.1" \([0-9]*\) .*/\1 \2/p' "$NGINX_LOG" | paste -sd '|'
}

# installs WHAT URL REQUESTS [DURING]: the setup started with URL completes the install, the
# install folder holds the package's entries byte for byte, and nginx saw exactly REQUESTS.
# DURING, a command given WHAT, runs once the install is under way.
installs() {
  : >"$NGINX_LOG"
  setup_start_traced "/axs:L $2 A" || { fail "$1: setup did not start"; return; }
  install_into "$DIR_TEXT" || fail "$1: install not started"
  [ -z "${4:-}" ] || "$4" "$1"
  expect_setup_success "$1" 60
  expect_package_installed "$1" "$PACKAGE" "$dir"
  expect_eq "$1: requests" "$(requests)" "$3"
  expect_eq "$1: no failure written" "$(failure_lines)" ""
  drv close "$PRODUCT_WINDOW" 10000 >/dev/null 2>&1
  drv wait-gone "$PRODUCT_WINDOW" >/dev/null 2>&1
  forget_install "$dir"
}

# refused WHAT URL LINE REQUESTS: the setup started with URL ends its download as a failed one
# (the notice, the general message, no archive, the dialog idle); the failure line written is
# LINE (an extended regular expression over the whole line) and nginx saw exactly REQUESTS.
refused() {
  local line
  : >"$NGINX_LOG"
  setup_start_traced "/axs:L $2 A" || { fail "$1: setup did not start"; return; }
  install_into "$DIR_TEXT" || fail "$1: install not started"
  expect_download_failure "$1"
  line=$(failure_lines)
  if [[ $line =~ ^$3$ ]]; then _pass "$1: failure line '$line'"; else
    fail "$1: failure line '$line', expected /$3/"
  fi
  expect_eq "$1: requests" "$(requests)" "$4"
  expect_eq "$1: nothing installed" "$(ls -A "$dir" 2>/dev/null)" ""
  setup_stop
}

# restart_mid_body WHAT: once the percentage shows part of the body, nginx stops (its fast
# shutdown drops the transfer) and starts again at full speed, with an empty log.
restart_mid_body() {
  if wait_percent_moved && [ "$PERCENT_SHOWN" -lt 100 ]; then
    _pass "$1: nginx stopped at $PERCENT_SHOWN%"
  else
    fail "$1: no percentage to stop at ('$PERCENT_SHOWN')"
  fi
  nginx_stop
  PACKAGE_SERVER_TLS=$TLS_DIR nginx_start "$root" || fail "$1: nginx did not start again"
}

https_url=https://localhost$PATH_ON_SERVER
# Before the CA is trusted: refused during the handshake, so no request reaches nginx. Wine
# answers 12045 when the server sends the chain, 12057 without it.
refused "CA not trusted" "$https_url" 'download failed: send \(WinInet 120(45|57)\)' ""
tls_trust || { fail "cannot trust the test CA in the prefix"; finish; }
expect_eq "the test CA in the prefix's Root store" "$(tls_ca_in_store)" 1
installs "https" "$https_url" "$PATH_ON_SERVER 200"
installs "https with the port named" "https://localhost:443$PATH_ON_SERVER" "$PATH_ON_SERVER 200"
# The certificate names localhost only.
refused "wrong host name" "https://127.0.0.1$PATH_ON_SERVER" \
  'download failed: send \(WinInet 12038\)' ""
installs "http redirected to https" "http://localhost/to-https$PATH_ON_SERVER" \
  "/to-https$PATH_ON_SERVER 302|$PATH_ON_SERVER 200"
# The plain-HTTP location is never asked for.
refused "https redirected to http" "https://localhost/to-http$PATH_ON_SERVER" \
  'download failed: redirect' "/to-http$PATH_ON_SERVER 302"
# A cut over TLS: nginx, slowed to 8 KiB/s, is stopped in the middle of the body and started
# again; the retry asks for the rest, and nginx answers 206 for the same file. The program built
# with resuming on, as the Velmora profile does not resume.
PACKAGE_SERVER_LIMIT_RATE=8k PACKAGE_SERVER_TLS=$TLS_DIR nginx_start "$root" ||
  fail "nginx did not start slowed down"
SETUP_EXE=${RESUMING_SETUP_EXE:?} installs "https cut by a server restart" "$https_url" \
  "$PATH_ON_SERVER 206" restart_mid_body

tls_untrust || fail "cannot take the test CA out of the prefix"
expect_eq "the test CA out of the prefix's Root store again" "$(tls_ca_in_store)" 0
finish

# shellcheck shell=bash
# The servers a scenario downloads from: nginx as the package server on 127.0.0.1:80, and the
# scriptable fault server on 127.0.0.2:80. Part of tests/e2e/lib.sh.

# nginx_start ROOT: the package server (Debian's nginx) serving ROOT on 127.0.0.1:80, where the
# profile's host "localhost" finds it. NGINX_LOG is its access log (emptied at start).
nginx_start() {
  NGINX_LOG=$E2E_STATE/nginx/access.log
  PACKAGE_SERVER_STATE=$E2E_STATE/nginx bash "${SOURCE_DIR:?}/scripts/package-server.sh" \
    start "$1" >/dev/null
}

nginx_stop() {
  PACKAGE_SERVER_STATE=$E2E_STATE/nginx bash "${SOURCE_DIR:?}/scripts/package-server.sh" \
    stop >/dev/null 2>&1 || true
}

# fault_start BODY [OPTION VALUE...]: the fault server on 127.0.0.2:80 answering with BODY, in
# mode ok; FAULT_LOG lists the requests that reached it. Reach it with "/axs:L $FAULT_URL A".
FAULT_URL=http://127.0.0.2/update/p.zip
fault_start() {
  local body=$1
  shift
  mkdir -p "$E2E_STATE"
  FAULT_LOG=$E2E_STATE/fault.log
  : >"$E2E_STATE/fault.out"
  "${FAULT_SERVER:?FAULT_SERVER not set}" --body "$body" --log "$FAULT_LOG" --addr 127.0.0.2 \
    --max-seconds 300 "$@" </dev/null >"$E2E_STATE/fault.out" 2>&1 &
  FAULT_PID=$!
  wait_ready "$FAULT_PID" 50 0.1 grep -q '^ready' "$E2E_STATE/fault.out" && return 0
  cat "$E2E_STATE/fault.out" >&2
  return 1
}

fault_stop() {
  [ -n "${FAULT_PID:-}" ] || return 0
  kill "$FAULT_PID" 2>/dev/null || true
  wait "$FAULT_PID" 2>/dev/null || true
  FAULT_PID=
}

# fault_mode MODE: switches the fault server's answer (ok, 404, short, slow, ...).
fault_mode() {
  curl -fsS --noproxy '*' -o /dev/null "http://127.0.0.2/__mode/$1"
}

# fault_requests: how many requests reached the fault server so far.
fault_requests() {
  wc -l <"$FAULT_LOG" | tr -d ' '
}

# servers_stop: stops whatever of the two servers this scenario started.
servers_stop() {
  fault_stop
  nginx_stop
}

# fault_scenario SIZE [OPTION VALUE...]: how a download scenario against the fault server
# begins: BODY holds SIZE bytes from make_body, the server answers with it (mode ok, with the
# options), no temporary archive is left from before, and the setup and the servers stop when
# the script ends. Ends the script when that cannot be had.
fault_scenario() {
  BODY=$E2E_STATE/fault-body.bin
  make_body "$BODY" "$1"
  shift
  find_temp_archive || { fail "no temporary folder"; finish; }
  rm -f "$TEMP_ARCHIVE"
  fault_start "$BODY" "$@" || { fail "fault server did not start"; finish; }
  trap 'setup_stop; servers_stop' EXIT
}

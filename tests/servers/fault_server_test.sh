#!/usr/bin/env bash
# The fault server's ranges, cuts, package replacement and validators, asked with curl on the
# host (no Wine): the resume scenarios rely on them answering exactly so.
#   FAULT_SERVER=build/windows-x64/host/fault_server bash tests/servers/fault_server_test.sh
# It listens on 127.0.0.3:18080, away from the scenarios' 127.0.0.2:80.
set -uo pipefail
server=${FAULT_SERVER:?FAULT_SERVER not set}
addr=127.0.0.3 port=${FAULT_TEST_PORT:-18080}
url=http://$addr:$port/update/p.zip
dir=$(mktemp -d)
pid=
failures=0
trap 'stop; rm -rf "$dir"' EXIT

head -c 10000 /dev/urandom >"$dir/first"
head -c 10000 /dev/urandom >"$dir/second"

start() {
  "$server" --body "$dir/first" --log "$dir/log" --addr $addr --port "$port" --max-seconds 60 \
    "$@" </dev/null >"$dir/out" 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    grep -q '^ready' "$dir/out" && return 0
    sleep 0.1
  done
  echo "fault server did not start: $(cat "$dir/out")" >&2
  exit 1
}

stop() {
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=
}

# get [RANGE]: one request; STATUS, CURL (curl's exit code), HEADERS file, BODY file.
get() {
  local range=()
  [ -z "${1:-}" ] || range=(-H "Range: $1")
  STATUS=$(curl -sS --noproxy '*' "${range[@]}" -D "$dir/headers" -o "$dir/body" \
    -w '%{http_code}' "$url" 2>/dev/null)
  CURL=$?
}

header() { sed -n "s/^$1: \(.*\)\r$/\1/Ip" "$dir/headers"; }

# expect WHAT GOT WANTED
expect() {
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: got '$2', wanted '$3'"
    failures=$((failures + 1))
  fi
}

# expect_body WHAT FILE OFFSET COUNT: the body is COUNT bytes of FILE from OFFSET.
expect_body() {
  cmp -s "$dir/body" <(tail -c +$(($3 + 1)) "$2" | head -c "$4") || {
    echo "FAIL $1: body is not bytes $3..+$4 of $(basename "$2")"
    failures=$((failures + 1))
  }
}

start
get
expect "whole: status" "$STATUS" 200
expect_body "whole" "$dir/first" 0 10000
first_etag=$(header ETag)
expect "whole: strong ETag" "${first_etag:0:1}" '"'
expect "whole: Last-Modified" "$(header Last-Modified)" "Tue, 01 Dec 2026 10:00:00 GMT"
get "bytes=4000-"
expect "rest: status" "$STATUS" 206
expect "rest: Content-Range" "$(header Content-Range)" "bytes 4000-9999/10000"
expect "rest: Content-Length" "$(header Content-Length)" 6000
expect "rest: same ETag" "$(header ETag)" "$first_etag"
expect_body "rest" "$dir/first" 4000 6000
get "bytes=0-99"
expect "first hundred: Content-Range" "$(header Content-Range)" "bytes 0-99/10000"
expect_body "first hundred" "$dir/first" 0 100
for from in 10000 20000; do
  get "bytes=$from-"
  expect "from $from, past the end: status" "$STATUS" 416
  expect "from $from, past the end: Content-Range" "$(header Content-Range)" "bytes */10000"
done
get "bytes=-500"
expect "suffix range ignored" "$STATUS" 200
curl -fsS --noproxy '*' -o /dev/null "http://$addr:$port/__mode/no-range"
get "bytes=4000-"
expect "no-range: status" "$STATUS" 200
expect_body "no-range" "$dir/first" 0 10000
expect "log: the Range value last" "$(sed -n 2p "$dir/log")" \
  '"GET /update/p.zip HTTP/1.1" "curl/'"$(curl -V | sed -n '1s/^curl \([^ ]*\).*/\1/p')"'" ok "bytes=4000-"'
expect "log: no Range, nothing after the mode" "$(sed -n 1p "$dir/log" | sed 's/.*" //')" ok
expect "log: ranged requests" "$(grep -c '"bytes=' "$dir/log")" 6
stop

# Two cuts after 3000 body bytes; the package is replaced after the first.
start --cut-after 3000 --cut-times 2 --replace-body "$dir/second"
get
expect "cut 1: status" "$STATUS" 200
expect "cut 1: the body just ends (curl: partial file)" "$CURL" 18
expect_body "cut 1" "$dir/first" 0 3000
get "bytes=3000-"
expect "cut 2: status" "$STATUS" 206
expect "cut 2: Content-Range" "$(header Content-Range)" "bytes 3000-9999/10000"
expect_body "cut 2: the replacement's bytes" "$dir/second" 3000 3000
[ "$(header ETag)" != "$first_etag" ] || expect "cut 2: another ETag" same different
expect "cut 2: a later Last-Modified" "$(header Last-Modified)" "Wed, 02 Dec 2026 10:00:00 GMT"
get "bytes=6000-"
expect "after the cuts: whole rest" "$STATUS/$CURL" 206/0
expect_body "after the cuts" "$dir/second" 6000 4000
stop

start --cut-after 100 --cut-close reset --validators none
get
expect "cut by reset (curl: receive failure)" "$CURL" 56
expect "no validators: ETag" "$(header ETag)" ""
expect "no validators: Last-Modified" "$(header Last-Modified)" ""
stop
start --validators etag --mode slow --slow-bytes 4000 --slow-delay-ms 10
get "bytes=2000-"
expect "slow range" "$STATUS/$(header Content-Range)" "206/bytes 2000-9999/10000"
expect_body "slow range" "$dir/first" 2000 8000
expect "ETag only: Last-Modified" "$(header Last-Modified)" ""
stop

# Signatures beside the package: "<path>.sig" with the query kept after it, the replacement's
# once the package is replaced, late by --sig-delay-ms; any other path is the package.
head -c 256 /dev/urandom >"$dir/first.sig"
head -c 256 /dev/urandom >"$dir/second.sig"
start --sig "$dir/first.sig" --replace-sig "$dir/second.sig" --replace-body "$dir/second" \
  --cut-after 1000 --sig-delay-ms 600
url=http://$addr:$port/update/p.zip.sig?t=1
started=$EPOCHREALTIME
get
expect "sig: status and type" "$STATUS/$(header Content-Type)" 200/application/octet-stream
expect_body "sig" "$dir/first.sig" 0 256
expect "sig: late" "$(awk "BEGIN { print ($EPOCHREALTIME - $started >= 0.6) }")" 1
url=http://$addr:$port/update/p.zip?t=1.sig
get
expect "package behind a query ending in .sig: cut (curl: partial file)" "$STATUS/$CURL" 200/18
expect_body "package behind a query ending in .sig" "$dir/first" 0 1000
url=http://$addr:$port/update/p.zip.sig
get
expect_body "sig after the replacement" "$dir/second.sig" 0 256
stop

[ "$failures" -eq 0 ] && echo "fault server: all checks passed"
exit $((failures > 0))

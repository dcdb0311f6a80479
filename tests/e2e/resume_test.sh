#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# A download cut short (the body ends before its Content-Length, or a read fails after data) is
# asked for again from the bytes on disk on, at most three times, and never stitched from two
# packages. Against the fault server (tests/servers/fault_server.cpp), with "/axs:":
# - the sample package cut twice still installs byte for byte, its percentage never going back;
# - a random body (no zip: the run then ends at the extraction, the archive kept) lands byte
#   for byte after a cut, three cuts, a reset, a server that ignores Range, a package without
#   validators and a package replaced between the cut and the retry; the Range values asked
#   for are read from the server's log;
# - four cuts, a package replaced by a shorter one (416), a retry answered with an HTML page and a
#   server gone after the cut end with today's failure texts and no archive;
# - Cancel during the pause before a retry is asked about before the retry's request (No goes
#   on), and during the resumed body (Yes ends the run as an abort).
# The Velmora profile does not resume (PROFILE_RESUME_RETRIES 0): all of the above runs on the
# same program built with three retries (velmora_setup_resuming), and the shipped program is
# shown last to end its run at the first cut.
set -uo pipefail
here=$(dirname "$0")
. "$here/lib.sh"
. "$here/install_state.sh"
SHIPPED_EXE=$SETUP_EXE
SETUP_EXE=${RESUMING_SETUP_EXE:?}

PACKAGE=${BUILD_DIR:?}/package/update/velmora_direct.zip
[ -f "$PACKAGE" ] || { fail "no package at $PACKAGE"; finish; }
dir=$(drive_c)/velmora-e2e  # E2E_DIR
cleanup() {
  setup_stop
  drv close "$PRODUCT_WINDOW" 1000 >/dev/null 2>&1 || true
  servers_stop
  forget_install "$dir"
}
trap cleanup EXIT
find_temp_archive || { fail "no temporary folder"; finish; }
forget_install "$dir"

# ranges: the Range values the fault server was asked for, in order, joined by ",".
ranges() { sed -n 's/.*"\(bytes=[0-9]*-\)"$/\1/p' "$FAULT_LOG" | paste -sd ,; }

# download_percents FROM: the percentages the download showed, from record line FROM on, as
# numbers; the extraction's own percentages after it are left out.
download_percents() {
  tail -n +"$1" "$RECORD_LOG" | iconv -f CP949 -t UTF-8 |
    awk -F '\t' -v status=$IDC_STATUS -v percent=$IDC_PERCENT -v downloading="$DOWNLOADING_STATUS" '
      $1 == status { if ($2 == downloading) inside = 1; else if (inside) exit }
      inside && $1 == percent && $2 ~ /^ *[0-9]+%$/ { print $2 + 0 }'
}
# falls: how often a percentage on stdin is lower than the one before it.
falls() { awk 'NR > 1 && $1 < last { n++ } { last = $1 } END { print n + 0 }'; }

# expect_requests WHAT RANGES COUNT: the server saw COUNT requests, the ranged ones asking for
# RANGES (an extended regular expression over the ","-joined values).
expect_requests() {
  local asked
  asked=$(ranges)
  if [[ $asked =~ ^($2)$ ]]; then _pass "$1: ranges asked: '$asked'"; else
    fail "$1: ranges asked: '$asked', expected /$2/"
  fi
  expect_eq "$1: requests" "$(fault_requests)" "$3"
}

# ---- The sample package, cut twice, installs -----------------------------------------------------

fault_start "$PACKAGE" --cut-after 10000 --cut-times 2 || { fail "fault server did not start"; finish; }
setup_start "/axs:L $FAULT_URL A" || { fail "setup did not start"; finish; }
record_texts || fail "cannot record the setup's texts"
install_into "$E2E_DIR" || fail "cut twice: install not started"
expect_setup_success "cut twice"
expect_package_installed "cut twice" "$PACKAGE" "$dir"
expect_requests "cut twice" "bytes=10000-,bytes=20000-" 3
expect_eq "cut twice: the percentage never goes back" "$(download_percents 1 | falls)" 0
expect_eq "cut twice: the percentage ends at 100" "$(download_percents 1 | tail -n 1)" 100
drv close "$PRODUCT_WINDOW" 10000 >/dev/null 2>&1
drv wait-gone "$PRODUCT_WINDOW" >/dev/null 2>&1
forget_install "$dir"
fault_stop

# ---- Random bodies, one setup for all: how a cut is taken up ------------------------------------

BODY=$E2E_STATE/resume-body.bin NEW=$E2E_STATE/resume-new.bin
LONGER=$E2E_STATE/resume-longer.bin SHORTER=$E2E_STATE/resume-shorter.bin
make_body "$BODY" 300000 && make_body "$NEW" 300000 && make_body "$LONGER" 400000 &&
  make_body "$SHORTER" 50000 || { fail "cannot make the bodies"; finish; }

setup_start_traced "/axs:L $FAULT_URL A" || { fail "setup did not start"; finish; }
record_texts || fail "cannot record the setup's texts"

# cut_run WHAT OPTION...: the fault server answers the body with OPTIONS, no archive is left
# from before, Install is pressed. FROM: where the record of the setup's texts stands. With
# DURING set, that command runs right after the press.
cut_run() {
  local what=$1
  shift
  fault_stop
  fault_start "$BODY" "$@" || { fail "$what: fault server did not start"; return 1; }
  rm -f "$TEMP_ARCHIVE"
  FROM=$(($(recorded_lines) + 1))
  install_into "$E2E_DIR" || fail "$what: install not started"
  [ -z "${DURING:-}" ] || $DURING
}

# resumes WHAT FILE RANGES REQUESTS OPTION...: the download lands FILE byte for byte after
# RANGES in REQUESTS requests (expect_requests).
resumes() {
  local what=$1 file=$2 asked=$3 count=$4
  shift 4
  cut_run "$what" "$@" || return
  expect_downloaded "$what" "$file"
  expect_requests "$what" "$asked" "$count"
}

# gives_up WHAT LINE RANGES REQUESTS OPTION...: the download fails as today (notice, general
# message, no archive, the dialog idle) with the failure line LINE, after RANGES in REQUESTS
# requests. SECONDS_TAKEN: from Install to the dialog idle again.
gives_up() {
  local what=$1 line=$2 asked=$3 count=$4 started=$EPOCHREALTIME
  shift 4
  cut_run "$what" "$@" || return
  expect_download_failure "$what"
  SECONDS_TAKEN=$(awk "BEGIN { printf \"%.1f\", $EPOCHREALTIME - $started }")
  expect_eq "$what: failure line" "$(failure_lines | tail -n 1)" "$line"
  expect_requests "$what" "$asked" "$count"
}

resumes "cut once" "$BODY" "bytes=100000-" 2 --cut-after 100000
resumes "cut three times: the last retry completes" "$BODY" \
  "bytes=50000-,bytes=100000-,bytes=150000-" 4 --cut-after 50000 --cut-times 3
gives_up "cut four times: no retry left" "download failed: body-short" \
  "bytes=50000-,bytes=100000-,bytes=150000-" 4 --cut-after 50000 --cut-times 4
# Three pauses of 500, 1000 and 2000 ms lie between the four requests.
if awk "BEGIN { exit !($SECONDS_TAKEN >= 3.5) }"; then _pass "cut four times: ${SECONDS_TAKEN}s, the pauses kept"
else fail "cut four times: over in ${SECONDS_TAKEN}s, less than the 3.5 s of pauses"; fi
# A reset loses what WinInet had not handed out yet: the retry starts where the disk stands.
resumes "cut by a reset after data" "$BODY" "bytes=[1-9][0-9]{3,5}-" 2 \
  --cut-after 100000 --cut-close reset
resumes "server ignores Range: the whole body again" "$BODY" "bytes=100000-" 2 \
  --mode no-range --cut-after 100000
expect_eq "server ignores Range: the percentage starts again from 0" "$(download_percents "$FROM" | falls)" 1

# Never stitched: a piece that cannot be shown to belong to the first response's package is
# dropped, and the package asked for again from its first byte without a Range.
resumes "no validators: taken again from zero" "$BODY" "bytes=100000-" 3 \
  --cut-after 100000 --validators none
for validators in both etag last-modified none; do
  resumes "replaced, validators $validators: the new package whole" "$NEW" "bytes=100000-" 3 \
    --cut-after 100000 --replace-body "$NEW" --validators "$validators"
done
resumes "replaced by a longer package: the new one whole" "$LONGER" "bytes=100000-" 3 \
  --cut-after 100000 --replace-body "$LONGER"
gives_up "replaced by a shorter package: 416" "download failed: status (HTTP 416)" \
  "bytes=100000-" 2 --cut-after 100000 --replace-body "$SHORTER"

# 1000 bytes every 20 ms, cut at 20%: 1.2 s to the cut, 500 ms of pause, 4.8 s of resumed body.
slow=(--mode slow --slow-bytes 1000 --slow-delay-ms 20 --cut-after 60000)

# once_data_came COMMAND...: COMMAND as soon as the percentage shows bytes on disk.
once_data_came() { wait_percent_moved || fail "no percentage before: $*"; "$@"; }

# The retry meets a changed server (changed while the first, slow response trickles in): it is
# refused as a first response would be, or cannot be sent; either ends the download.
DURING="once_data_came fault_mode html" gives_up "the retry answered with an HTML page" \
  "download failed: content-type" "bytes=60000-" 2 "${slow[@]}"
DURING="once_data_came fault_stop" gives_up "the server gone after the cut" \
  "download failed: send (WinInet 12029)" "" 1 "${slow[@]}"

# ---- Cancel during a retry ----------------------------------------------------------------------

# cancel_question WHAT: Cancel pressed now; the question comes with a percentage of at least
# the 20% the cut left, below 100.
cancel_question() {
  drv click "$SETUP_TITLE" $IDCANCEL >/dev/null
  msgbox_of "$SETUP_TITLE" || { fail "$1: no question"; return 1; }
  expect_box "$1: question" "$CANCEL_QUESTION"
  local shown
  shown=$(drv text "$SETUP_TITLE" $IDC_PERCENT | tr -d ' %')
  if [[ $shown =~ ^[0-9]+$ ]] && [ "$shown" -ge 20 ] && [ "$shown" -lt 100 ]; then
    _pass "$1: the percentage goes on from the cut: $shown%"
  else
    fail "$1: percentage '$shown' at the question"
  fi
}

# In the pause: the percentage stops at 20% when the cut comes; the question is asked before
# the retry's request, and No lets the retry go on.
cut_run "Cancel in the pause" "${slow[@]}"
if drv wait-text "$SETUP_TITLE" $IDC_PERCENT " 20%" 10000 >/dev/null; then
  cancel_question "Cancel in the pause, No" &&
    expect_eq "Cancel in the pause: no retry asked yet" "$(fault_requests)" 1
  drv answer "$SETUP_TITLE" $IDNO >/dev/null
  expect_downloaded "Cancel in the pause, No" "$BODY"
  expect_requests "Cancel in the pause, No" "bytes=60000-" 2
else
  fail "Cancel in the pause: the percentage never showed the cut's 20%"
fi

# In the resumed body: Yes ends the run as an abort, no request follows, no archive stays.
cut_run "Cancel in the resumed body" "${slow[@]}"
if wait_ready "$FAULT_PID" 100 0.05 grep -q '"bytes=' "$FAULT_LOG"; then
  cancel_question "Cancel in the resumed body, Yes"
  expect_download_aborted "Cancel in the resumed body, Yes"
  expect_requests "Cancel in the resumed body, Yes" "bytes=60000-" 2
else
  fail "Cancel in the resumed body: no ranged request came"
fi

# ---- The shipped program: a cut ends the run -----------------------------------------------------

setup_stop
SETUP_EXE=$SHIPPED_EXE setup_start_traced "/axs:L $FAULT_URL A" ||
  { fail "the shipped setup did not start"; finish; }
record_texts || fail "cannot record the shipped setup's texts"
gives_up "the shipped program: no retry" "download failed: body-short" "" 1 --cut-after 100000
finish

# shellcheck shell=bash
# Helpers for end-to-end scenarios: source it from a scenario script.
# Needs UIDRIVER (path of uidriver.exe) and a Wine environment from scripts/wine-env.sh,
# which is sourced here too.

# shellcheck source=SCRIPTDIR/../../scripts/wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"

E2E_PASSED=0
E2E_FAILED=0

# drv ARGS...: one uidriver command; prints its UTF-8 output, returns its exit code. The driver
# itself ends with 0, 1 (saying why) or 2; any other code is Wine not running it, which is said
# on stderr, and a command that only looks is then asked once more.
drv() {
  local rc=0
  wine_run "${UIDRIVER:?UIDRIVER not set}" "$@" </dev/null || rc=$?
  [ "$rc" -gt 2 ] || return "$rc"
  echo "uidriver: '$1' ended with code $rc, not one of its own" >&2
  case $1 in
    wait-window | wait-gone | count-windows | text | wait-text | state | wait-msgbox | msgbox-count | \
      wait-owned | foreground | iconic | rect | style | process-stats)
      wine_run "$UIDRIVER" "$@" </dev/null ;;
    *) return "$rc" ;;
  esac
}

_pass() {
  E2E_PASSED=$((E2E_PASSED + 1))
  echo "ok   $1"
}

# fail MESSAGE: counts a failure.
fail() {
  E2E_FAILED=$((E2E_FAILED + 1))
  echo "FAIL $1"
}

# expect_eq WHAT ACTUAL EXPECTED
expect_eq() {
  if [ "$2" = "$3" ]; then
    _pass "$1"
  else
    fail "$1: expected '$3', got '$2'"
  fi
}

# expect_ok CMD...: the command must succeed.
expect_ok() {
  local rc=0
  "$@" || rc=$?
  if [ "$rc" -eq 0 ]; then _pass "$*"; else fail "$* (exit $rc)"; fi
}

# expect_fail CMD...: the command must fail, e.g. waiting for a message box that must not come.
expect_fail() {
  local rc=0
  "$@" >/dev/null 2>&1 || rc=$?
  if [ "$rc" -ne 0 ]; then _pass "fails: $*"; else fail "$* succeeded, expected a failure"; fi
}

# finish: prints the totals and ends the script, non-zero when anything failed.
finish() {
  echo "$E2E_PASSED passed, $E2E_FAILED failed"
  [ "$E2E_FAILED" -eq 0 ] && [ "$E2E_PASSED" -gt 0 ]
  exit $?
}

# start_program EXE ARGS...: runs EXE under Wine in the background; its pid in PROGRAM_PID.
# Output goes to PROGRAM_LOG when set.
# shellcheck disable=SC2034  # PROGRAM_PID is for the scenario script
start_program() {
  "$WINE_RUN" "$@" </dev/null >>"${PROGRAM_LOG:-/dev/null}" 2>&1 &
  PROGRAM_PID=$!
}

# wait_exit PID TIMEOUT_S: 0 when the process ended in time; EXIT_CODE then holds its exit code
# (for a process started by this shell).
# shellcheck disable=SC2034
wait_exit() {
  local pid=$1 ticks=$(($2 * 10))
  while kill -0 "$pid" 2>/dev/null && [ "$(_proc_state "$pid")" != Z ]; do
    [ "$ticks" -gt 0 ] || return 1
    ticks=$((ticks - 1))
    sleep 0.1
  done
  EXIT_CODE=0
  wait "$pid" 2>/dev/null || EXIT_CODE=$?
  return 0
}

_proc_state() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  stat=${stat##*) }
  echo "${stat%% *}"
}

# ---- The profile ------------------------------------------------------------------------------

# The build's profile (SETUP_PROFILE, Velmora unless told): its texts and file names come from
# the same profile_values.h the program was built from.
PROFILE_VALUES="$(dirname "${BASH_SOURCE[0]}")/../../profile/${SETUP_PROFILE:-velmora}/profile_values.h"
[ -f "$PROFILE_VALUES" ] || { echo "lib.sh: no profile at $PROFILE_VALUES" >&2; exit 2; }

# profile_text NAME: the quoted text of "#define NAME "..."" in PROFILE_VALUES.
profile_text() {
  sed -n "s/^#define $1  *\"\([^\"]*\)\".*/\1/p" "$PROFILE_VALUES"
}

# ---- The setup program ------------------------------------------------------------------------

SOURCE_TREE="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# program_text NAME: the program's text kName as app/texts.h spells it, its pieces joined and
# its escapes (\n) kept as written, which is how the driver prints texts.
program_text() {
  awk -v name="$1" '
    index($0, " " name "[] =") { on = 1 }
    on { line = $0; while (match(line, /"([^"\\]|\\.)*"/)) { text = text substr(line, RSTART + 1, RLENGTH - 2); line = substr(line, RSTART + RLENGTH) } }
    on && /;[[:space:]]*$/ { print text; exit }' "$SOURCE_TREE/app/texts.h"
}

# The control and dialog ids of res/resource.h as shell variables (IDC_STATUS=1000, ...).
eval "$(sed -n 's/^#define \(ID[A-Z_]*\)  *\([0-9][0-9]*\).*/\1=\2/p' "$SOURCE_TREE/res/resource.h")"
IDOK=1 IDCANCEL=2 IDYES=6 IDNO=7  # the system's

SETUP_TITLE=$(profile_text PROFILE_SETUP_TITLE)
AGREEMENT_TITLE=$(sed -n 's/^CAPTION "\(.*\)"$/\1/p' "$SOURCE_TREE/res/agreement_dialog.rc2")
MSG_CAPTION_TEXT=$(profile_text PROFILE_MSG_CAPTION)
IDLE_STATUS=$(program_text kIdleStatusText)
FAILED_TEXT=$(program_text kFailedMessage)
ABORTED_TEXT=$(program_text kAbortedMessage)
EXTRACT_QUESTION=$(program_text kCopyCancelQuestion)
BADPATH_TEXT=$(program_text kBadPathMessage)
CAPACITY_TEXT=$(program_text kCapacityMessage)

# The prefix's C: drive as a Linux path, for checks on what a run left behind.
drive_c() { echo "$WINEPREFIX/drive_c"; }

# setup_start ARGS...: starts the setup and waits for its main dialog. A setup that ended
# before any dialog showed (Wine did not run it) is said on stderr and started once more.
setup_start() {
  local attempt
  for attempt in 1 2; do
    start_program "${SETUP_EXE:?SETUP_EXE not set}" "$@"
    SETUP_PID=$PROGRAM_PID
    drv wait-window "$SETUP_TITLE" 20000 >/dev/null && return 0
    kill -0 "$SETUP_PID" 2>/dev/null && return 1
    wait_exit "$SETUP_PID" 1
    echo "setup_start: the setup ended with code ${EXIT_CODE:-?} before its dialog showed (start $attempt)" >&2
  done
  return 1
}

# setup_stop: ends a setup that is still running (after a failed check), quietly, and waits
# until its window is gone: a setup started while it lingers would hand over to it and end.
setup_stop() {
  if [ -n "${SETUP_PID:-}" ] && kill -0 "$SETUP_PID" 2>/dev/null; then
    drv close "$SETUP_TITLE" 2000 >/dev/null 2>&1 || true
    wait_exit "$SETUP_PID" 5 || kill "$SETUP_PID" 2>/dev/null || true
    drv wait-gone "$SETUP_TITLE" 5000 >/dev/null 2>&1 || true
  fi
  SETUP_PID=
}

# Kinds of message box, as msgbox_of reads them into MSG_KIND: the buttons from left to right,
# the default button and the icon (none, question, information, warning, error or other).
BOX_OK="$IDOK $IDOK none"                             # MB_OK
BOX_OK_INFORMATION="$IDOK $IDOK information"          # MB_OK | MB_ICONINFORMATION
BOX_YES_NO="$IDYES,$IDNO $IDYES none"                 # MB_YESNO
BOX_YES_NO_QUESTION="$IDYES,$IDNO $IDYES question"    # MB_YESNO | MB_ICONQUESTION
BOX_YES_NO_NO="$IDYES,$IDNO $IDNO none"               # MB_YESNO | MB_DEFBUTTON2
BOX_YES_NO_QUESTION_NO="$IDYES,$IDNO $IDNO question"  # MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2

# msgbox_of TITLE [ms]: waits for a message box owned by TITLE; sets MSG_CAPTION, MSG_TEXT,
# MSG_BUTTONS, MSG_DEFAULT, MSG_ICON and MSG_KIND. Fails when none comes.
msgbox_of() {
  local out
  out=$(drv wait-msgbox "$1" "${2:-10000}") || return 1
  MSG_CAPTION=$(sed -n 's/^caption=//p' <<<"$out")
  MSG_TEXT=$(sed -n 's/^text=//p' <<<"$out")
  MSG_BUTTONS=$(sed -n 's/^buttons=//p' <<<"$out")
  MSG_DEFAULT=$(sed -n 's/^default=//p' <<<"$out")
  MSG_ICON=$(sed -n 's/^icon=//p' <<<"$out")
  MSG_KIND="$MSG_BUTTONS $MSG_DEFAULT $MSG_ICON"
}

# setup_box_kind TEXT: the kind of box the setup shows its message TEXT in. Its questions and
# the abort message have their own; every other message is a plain MB_OK without icon.
setup_box_kind() {
  case $1 in
    "$ABORTED_TEXT") echo "$BOX_OK_INFORMATION" ;;
    "$CANCEL_QUESTION") echo "$BOX_YES_NO_QUESTION_NO" ;;
    "$EXTRACT_QUESTION") echo "$BOX_YES_NO_NO" ;;
    *) echo "$BOX_OK" ;;
  esac
}

# expect_box WHAT TEXT: the box msgbox_of read last is the setup's message TEXT, with the
# setup's caption, in the kind of box that message has.
expect_box() {
  expect_eq "$1" "$MSG_TEXT" "$2"
  expect_eq "$1: caption" "$MSG_CAPTION" "$MSG_CAPTION_TEXT"
  expect_eq "$1: buttons, default, icon" "$MSG_KIND" "$(setup_box_kind "$2")"
}

# press_install DIR: types DIR into the folder field and presses Install.
press_install() {
  drv set-text "$SETUP_TITLE" $IDC_PATH "$1" >/dev/null && drv click "$SETUP_TITLE" $IDC_INSTALL >/dev/null
}

# accept_agreement: ticks the box in the agreement dialog and presses "동의함".
accept_agreement() {
  drv wait-window "$AGREEMENT_TITLE" >/dev/null &&
    drv check "$AGREEMENT_TITLE" $IDC_AGREE_CHECK 1 >/dev/null &&
    drv click "$AGREEMENT_TITLE" $IDOK >/dev/null &&
    drv wait-gone "$AGREEMENT_TITLE" >/dev/null
}

# install_into DIR: Install pressed with DIR and the agreement accepted.
install_into() {
  press_install "$1" && accept_agreement
}

# record_texts: from now on every text the setup puts into its controls is written down
# (uidriver's "record", in the background until the dialog closes); recorded_texts reads them.
record_texts() {
  RECORD_LOG=$(dirname "${UIDRIVER:?}")/text_recorder.log
  "$WINE_RUN" "$UIDRIVER" record "$SETUP_TITLE" 600000 </dev/null >"$E2E_STATE/record.out" 2>&1 &
  wait_ready $! 100 0.1 grep -q '^recording' "$E2E_STATE/record.out"
}

# recorded_texts ID [FROM]: the texts recorded for control ID, one a line, from line FROM of the
# record on (1 unless told; recorded_lines tells where the record ends now).
recorded_texts() {
  tail -n +"${2:-1}" "$RECORD_LOG" | sed -n "s/^$(($1))\t//p" | iconv -f CP949 -t UTF-8
}
recorded_lines() { cat "$RECORD_LOG" 2>/dev/null | wc -l; }

# recorded_line ID TEXT [FROM]: the number of the first line of the record, from line FROM on,
# that gave control ID the text TEXT; fails when none did.
recorded_line() {
  local from=${3:-1} text n
  text=$(iconv -f UTF-8 -t CP949 <<<"$2") || return 1
  # Byte-wise: the record holds other controls' texts that are no CP949.
  n=$(tail -n +"$from" "$RECORD_LOG" | LC_ALL=C grep -naxF -m 1 "$(($1))"$'\t'"$text") || return 1
  echo $((from - 1 + ${n%%:*}))
}

# expect_controls_idle: the three folder controls enabled, status and percent as when idle.
expect_controls_idle() {
  local id
  for id in $IDC_PATH $IDC_BROWSE $IDC_INSTALL; do
    expect_eq "control $id enabled" "$(drv state "$SETUP_TITLE" $id | grep -o 'enabled=[01]')" "enabled=1"
  done
  expect_eq "idle status" "$(drv text "$SETUP_TITLE" $IDC_STATUS)" "$IDLE_STATUS"
}

# ---- The download stage -----------------------------------------------------------------------

DOWNLOADING_STATUS=$(program_text kDownloadingStatus)
DOWNLOAD_FAILED_TEXT=$(program_text kDownloadFailedMessage)
CANCEL_QUESTION=$(program_text kDownloadCancelQuestion)
SESSION_AGENT=$(profile_text PROFILE_SESSION_AGENT)
TEMP_ARCHIVE_NAME=$(profile_text PROFILE_TEMP_ARCHIVE_NAME)
E2E_DIR="C:\\velmora-e2e\\"  # the install folder every scenario types in

# Scratch for the servers, under the build folder.
E2E_STATE=${BUILD_DIR:?BUILD_DIR not set}/e2e-state

# find_temp_archive: sets TEMP_ARCHIVE, the Linux path of the temporary archive the setup
# downloads into, in the folder GetTempPathA gives (TMP, which Wine takes from the prefix:
# C:\users\<user>\Temp under Debian's Wine 8).
find_temp_archive() {
  local folder
  folder=$(wine_run cmd /c echo %TMP% </dev/null 2>/dev/null | tr -d '\r') || return 1
  folder=${folder#?:}
  TEMP_ARCHIVE="$WINEPREFIX/drive_c${folder//\\//}/$TEMP_ARCHIVE_NAME"
}

# archive_state: "present" or "absent" (a link counts, even one that points nowhere).
archive_state() {
  if [ -e "${TEMP_ARCHIVE:?call find_temp_archive first}" ] || [ -L "$TEMP_ARCHIVE" ]; then
    echo present
  else
    echo absent
  fi
}

# expect_download_aborted WHAT: the download's Cancel question, open now, answered Yes: only the
# abort message, and after its OK the partial archive gone and the dialog idle again.
expect_download_aborted() {
  drv answer "$SETUP_TITLE" $IDYES >/dev/null
  msgbox_of "$SETUP_TITLE" || fail "$1: no message"
  expect_box "$1: only the abort message" "$ABORTED_TEXT"
  ends_idle_without_archive "$1"
}

# ends_idle_without_archive WHAT: the last message box, open now, answered OK: the temporary
# archive is gone and the dialog idle again.
ends_idle_without_archive() {
  drv answer "$SETUP_TITLE" $IDOK >/dev/null
  expect_eq "$1: archive absent" "$(archive_state)" absent
  drv wait-text "$SETUP_TITLE" $IDC_STATUS "$IDLE_STATUS" >/dev/null
  expect_controls_idle
}

# make_body FILE SIZE: SIZE random bytes with no "P" in them, so the body is never mistaken for a
# zip archive: a later stage that opens it fails without a notice of its own.
make_body() {
  mkdir -p "$(dirname "$1")" && head -c "$2" /dev/urandom | tr P Q >"$1"
}

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

# expect_download_failure WHAT: the download notice, then the general failure message, the
# dialog idle, and no temporary archive.
expect_download_failure() {
  msgbox_of "$SETUP_TITLE" 20000 || { fail "$1: no message box"; return; }
  expect_box "$1: download notice" "$DOWNLOAD_FAILED_TEXT"
  drv answer "$SETUP_TITLE" $IDOK >/dev/null
  msgbox_of "$SETUP_TITLE" 10000 || { fail "$1: no failure message"; return; }
  expect_box "$1: general failure message" "$FAILED_TEXT"
  ends_idle_without_archive "$1"
}

# expect_downloaded WHAT FILE: the download succeeded: the temporary archive holds exactly FILE's
# bytes, and the run ends with the general failure message but no download notice, because a
# body made by make_body is no zip archive and the next stage fails on it without a notice.
expect_downloaded() {
  msgbox_of "$SETUP_TITLE" 30000 || { fail "$1: no message box"; return; }
  expect_box "$1: no download notice, the general message" "$FAILED_TEXT"
  if cmp -s "$TEMP_ARCHIVE" "$2"; then _pass "$1: archive byte-identical"; else
    fail "$1: archive differs from what the server sent ($(stat -c %s "$TEMP_ARCHIVE" 2>&1))"
  fi
  drv answer "$SETUP_TITLE" $IDOK >/dev/null
}

# wait_percent_moved [SECONDS]: until the percentage shows a number above 0, some of the body
# on disk (PERCENT_SHOWN); fails when none does within SECONDS (10).
wait_percent_moved() {
  local _
  for _ in $(seq $((${1:-10} * 10))); do
    PERCENT_SHOWN=$(drv text "$SETUP_TITLE" $IDC_PERCENT | tr -d ' %')
    [[ $PERCENT_SHOWN =~ ^[0-9]+$ ]] && [ "$PERCENT_SHOWN" -gt 0 ] && return 0
    sleep 0.1
  done
  return 1
}

# ---- The setup's debug output -----------------------------------------------------------------

# setup_start_traced ARGS...: setup_start with the setup's debug output written down: Wine puts
# every OutputDebugStringA line (WINEDEBUG=+debugstr) into PROGRAM_LOG, which is emptied first
# ($E2E_STATE/setup-debug.log unless set). failure_lines reads it.
setup_start_traced() {
  PROGRAM_LOG=${PROGRAM_LOG:-$E2E_STATE/setup-debug.log}
  mkdir -p "$(dirname "$PROGRAM_LOG")" && : >"$PROGRAM_LOG"
  WINEDEBUG=-all,+debugstr setup_start "$@"
}

# failure_lines: the stage failures the traced setup wrote so far, one a line without the
# program's name, e.g. "download failed: send (WinInet 12045)".
failure_lines() {
  sed -n 's/.*OutputDebugStringA "velmora_setup: \(.*\)\\n"$/\1/p' "${PROGRAM_LOG:?}" | tr -d '\r'
}

# ---- HTTPS --------------------------------------------------------------------------------------

# tls_ca_make DIR: a private CA and a certificate for localhost made afresh in DIR (TLS_DIR), for
# the package server's HTTPS (PACKAGE_SERVER_TLS="$TLS_DIR"); not trusted anywhere yet.
tls_ca_make() {
  TLS_DIR=$1
  bash "${SOURCE_DIR:?}/scripts/tls-test-ca.sh" make "$TLS_DIR" >/dev/null
}

# tls_trust: TLS_DIR's CA trusted in the test prefix alone; tls_untrust takes it out again and
# is fine when it is not there (call it from the EXIT trap too).
tls_trust() { bash "${SOURCE_DIR:?}/scripts/tls-test-ca.sh" trust "${TLS_DIR:?}"; }
tls_untrust() {
  [ -n "${TLS_DIR:-}" ] && [ -f "$TLS_DIR/ca.pem" ] || return 0
  bash "${SOURCE_DIR:?}/scripts/tls-test-ca.sh" untrust "$TLS_DIR"
}

# tls_ca_in_store: 1 while TLS_DIR's CA is in the prefix's machine Root store, else 0. (Wine
# fills that store with the host's CAs the first time a program checks a certificate.)
tls_ca_in_store() {
  local thumbprint
  thumbprint=$(bash "${SOURCE_DIR:?}/scripts/tls-test-ca.sh" thumbprint "${TLS_DIR:?}") || return 1
  wine_run reg query 'HKLM\Software\Microsoft\SystemCertificates\Root\Certificates' </dev/null 2>/dev/null |
    tr -d '\r' | grep -c "\\\\$thumbprint\$"
}

# shellcheck shell=bash
# Helpers for end-to-end scenarios: source it from a scenario script.
# Needs UIDRIVER (path of uidriver.exe) and a Wine environment from scripts/wine-env.sh,
# which is sourced here too.

# shellcheck source=SCRIPTDIR/../../scripts/wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"

E2E_PASSED=0
E2E_FAILED=0

# drv ARGS...: one uidriver command; prints its UTF-8 output, returns its exit code.
drv() {
  wine "${UIDRIVER:?UIDRIVER not set}" "$@" </dev/null
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
  wine "$@" </dev/null >>"${PROGRAM_LOG:-/dev/null}" 2>&1 &
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

# ---- The setup program ------------------------------------------------------------------------

SETUP_TITLE="Velmora 설치프로그램"
AGREEMENT_TITLE="소프트웨어 사용권 계약"
IDOK=1 IDCANCEL=2 IDYES=6 IDNO=7
IDC_STATUS=1000 IDC_PATH=1001 IDC_INSTALL=1002 IDC_PERCENT=1003 IDC_MARKER=1004
IDC_AGREE_CHECK=1005 IDC_BANNER_TEXT=1006 IDC_BROWSE=1007 IDC_AGREEMENT_TEXT=1008
IDLE_STATUS="설치할 경로를 입력하십시오."
FAILED_TEXT='설치를 완료하지 못했습니다. 다음을 확인해 주십시오.\n\n(1) 설치 전 해당 프로그램 데모버전이나 예전버전 종료\n(2) 파일 시스템 이상 유무\n(3) 윈도우 시스템 이상 유무\n(4) 인터넷 연결 이상 유무'
ABORTED_TEXT="설치가 중단되었습니다."

# The prefix's C: drive as a Linux path, for checks on what a run left behind.
drive_c() { echo "$WINEPREFIX/drive_c"; }

# setup_start ARGS...: starts the setup and waits for its main dialog.
setup_start() {
  start_program "${SETUP_EXE:?SETUP_EXE not set}" "$@"
  SETUP_PID=$PROGRAM_PID
  drv wait-window "$SETUP_TITLE" 20000 >/dev/null
}

# setup_stop: ends a setup that is still running (after a failed check), quietly.
setup_stop() {
  if [ -n "${SETUP_PID:-}" ] && kill -0 "$SETUP_PID" 2>/dev/null; then
    drv close "$SETUP_TITLE" 2000 >/dev/null 2>&1 || true
    wait_exit "$SETUP_PID" 5 || kill "$SETUP_PID" 2>/dev/null || true
  fi
  SETUP_PID=
}

# msgbox_of TITLE [ms]: waits for a message box owned by TITLE; sets MSG_CAPTION, MSG_TEXT,
# MSG_BUTTONS and MSG_ICON. Fails when none comes.
msgbox_of() {
  local out
  out=$(drv wait-msgbox "$1" "${2:-10000}") || return 1
  MSG_CAPTION=$(sed -n 's/^caption=//p' <<<"$out")
  MSG_TEXT=$(sed -n 's/^text=//p' <<<"$out")
  MSG_BUTTONS=$(sed -n 's/^buttons=//p' <<<"$out")
  MSG_ICON=$(sed -n 's/^icon=//p' <<<"$out")
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

# expect_controls_idle: the three folder controls enabled, status and percent as when idle.
expect_controls_idle() {
  local id
  for id in $IDC_PATH $IDC_BROWSE $IDC_INSTALL; do
    expect_eq "control $id enabled" "$(drv state "$SETUP_TITLE" $id | grep -o 'enabled=[01]')" "enabled=1"
  done
  expect_eq "idle status" "$(drv text "$SETUP_TITLE" $IDC_STATUS)" "$IDLE_STATUS"
}

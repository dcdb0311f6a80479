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

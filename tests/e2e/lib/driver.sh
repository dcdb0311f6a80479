# shellcheck shell=bash
# The UI driver and the assertions of a scenario: uidriver commands, pass and fail counts,
# programs started under Wine and waited for, message boxes read as a person sees them, and the
# texts the setup writes into its controls. Part of tests/e2e/lib.sh.

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
      wait-owned | foreground | code-page | iconic | rect | style | process-stats)
      wine_run "$UIDRIVER" "$@" </dev/null ;;
    *) return "$rc" ;;
  esac
}

# windows_path PATH: a Linux path as the prefix's Z: drive shows it.
windows_path() { echo "Z:${1//\//\\}"; }

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

IDOK=1 IDCANCEL=2 IDYES=6 IDNO=7  # the system's

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

# shellcheck shell=bash
# Controlling the setup under test: starting and stopping it, pressing Install and accepting the
# agreement, the folder picker, the boxes it shows, the idle dialog, and what a download leaves in the temporary
# folder. Part of tests/e2e/lib.sh.

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

# setup_run ARGS [ms]: the setup started by uidriver with the command line ARGS, one string that
# reaches the setup as it is (quotation marks too), and waited for (120000 ms unless told);
# see setup_run_wait for what it sets. Fails when the setup did not end in time.
setup_run() {
  setup_run_start "$@" && setup_run_wait
}

# setup_run_start ARGS [ms]: setup_run in the background (RUN_PID, its output in RUN_OUT), so a
# scenario can look at the setup meanwhile, or start another one. setup_run_wait [PID OUT]
# waits for it (or for an earlier one's PID and OUT) and sets RUN_EXIT, the setup's whole exit
# code (Wine hands Linux only its low 8 bits), and RUN_WINDOWS, the titles of the visible
# windows the setup's process showed at any point, one a line (empty: none).
SETUP_RUNS=0
setup_run_start() {
  SETUP_RUNS=$((SETUP_RUNS + 1))
  RUN_OUT=$E2E_STATE/run-$SETUP_RUNS.out
  mkdir -p "$E2E_STATE"
  drv run "\"$(windows_path "${SETUP_EXE:?}")\" $1" "${2:-120000}" >"$RUN_OUT" &
  RUN_PID=$!
}
setup_run_wait() {
  local pid=${1:-${RUN_PID:?}} out=${2:-$RUN_OUT} rc=0
  wait "$pid" || rc=$?
  [ "$pid" != "${RUN_PID:-}" ] || RUN_PID=
  RUN_EXIT=$(sed -n 's/^exit=//p' "$out")
  RUN_WINDOWS=$(sed -n 's/^window=//p' "$out")
  rm -f "$out"
  return "$rc"
}

# log_texts FILE: the lines of the setup's log FILE (a Linux path) without their time stamps;
# fails, saying why, when a line lacks its stamp or its CR LF.
log_texts() {
  [ -f "$1" ] || { echo "log_texts: no log $1" >&2; return 1; }
  if LC_ALL=C grep -qvE $'^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} .*\r$' "$1"; then
    echo "log_texts: a line of $1 without its time stamp or CR LF" >&2
    return 1
  fi
  LC_ALL=C sed 's/^.\{24\}//' "$1" | tr -d '\r'
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
# A failed step is named on stderr with the driver's code, so a failed start says where it stopped.
accept_agreement() {
  drv wait-window "$AGREEMENT_TITLE" >/dev/null || { step_failed "agreement: wait-window"; return 1; }
  drv check "$AGREEMENT_TITLE" $IDC_AGREE_CHECK 1 >/dev/null || { step_failed "agreement: check"; return 1; }
  drv click "$AGREEMENT_TITLE" $IDOK >/dev/null || { step_failed "agreement: click OK"; return 1; }
  drv wait-gone "$AGREEMENT_TITLE" >/dev/null || { step_failed "agreement: wait-gone"; return 1; }
}

# step_failed WHAT: called right after a failed drv call; says WHAT and that call's code.
step_failed() {
  local rc=$?
  echo "install_into: $1 failed (code $rc)" >&2
}

# install_into DIR: Install pressed with DIR and the agreement accepted.
install_into() {
  press_install "$1" || { step_failed "pressing Install"; return 1; }
  accept_agreement
}

PICKER_STATUS=0x3743  # the status line of the system's folder picker
# open_picker: presses "..." and sets PICKER, the picker's title.
open_picker() {
  drv click "$SETUP_TITLE" $IDC_BROWSE >/dev/null && PICKER=$(drv wait-owned "$SETUP_TITLE")
}

# pick SUBMITTED SELECTED WRITTEN: SUBMITTED pressed Install with (the agreement declined), then
# another folder typed: the picker opens on SUBMITTED, its status line shows SELECTED, and its
# OK writes WRITTEN into the folder field.
pick() {
  press_install "$1" && drv wait-window "$AGREEMENT_TITLE" >/dev/null &&
    drv click "$AGREEMENT_TITLE" $IDCANCEL >/dev/null || fail "'$1' not submitted"
  drv set-text "$SETUP_TITLE" $IDC_PATH 'C:\velmora-picked\typed' >/dev/null
  open_picker || { fail "'$1': no folder picker"; return; }
  expect_ok drv wait-text "$PICKER" $PICKER_STATUS "$2"
  drv click "$PICKER" $IDOK >/dev/null
  expect_ok drv wait-gone "$PICKER"
  expect_eq "picked '$2': the folder field" "$(drv text "$SETUP_TITLE" $IDC_PATH)" "$3"
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

E2E_DIR="C:\\velmora-e2e\\"  # the install folder every scenario types in

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

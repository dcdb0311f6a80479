#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# The data folder beside the setup: its tree (an empty folder, a dot-folder, a 0-byte file, a
# file of the profile's declared data size) lands byte-identical in the install folder and the
# percentage ends at 100; the status line names a data file while it is copied; without a data
# folder the run still completes. Each run ends at the asking variant's questions, answered No.
set -uo pipefail
. "$(dirname "$0")/testkit.sh"

media="$(drive_c)/tk_media"  # the setup's folder; velmora_setup.exe keeps the name rule
win_dir='C:\Testkit Data\'
dir="$(drive_c)/Testkit Data"
data_bytes=$PROFILE_DATA_BYTES
release=$E2E_STATE/data-release
writer=
cleanup() {
  [ -z "$writer" ] || kill "$writer" 2>/dev/null
  testkit_cleanup "$dir"
  rm -rf "$media" "$release"
}
trap cleanup EXIT
cleanup
mkdir -p "$media" "$E2E_STATE"
cp "$SETUP_EXE" "$media/velmora_setup.exe"
serve_package || { fail "package server did not start"; finish; }

# run_from_media WHAT: Install pressed in the setup beside the data folder.
run_from_media() {
  SETUP_EXE='C:\tk_media\velmora_setup.exe' setup_start || { fail "$1: setup did not start"; return 1; }
  install_into "$win_dir" || fail "$1: Install and agreement"
}

# decline_questions WHAT: the run reached its questions (every stage done) and both are
# answered No, so nothing but the files is made; the setup then ends.
decline_questions() {
  msgbox_of "$SETUP_TITLE" 60000 || { fail "$1: the run did not complete"; return 1; }
  expect_eq "$1: shortcut question" "$MSG_TEXT" "$SHORTCUT_QUESTION"
  drv answer "$SETUP_TITLE" $IDNO >/dev/null && drv answer "$SETUP_TITLE" $IDNO >/dev/null ||
    fail "$1: could not answer the questions"
  expect_setup_ended "$1"
}

# --- The tree: copied file by file, folders made even when empty.
mkdir -p "$media/data/empty" "$media/data/.config"
: >"$media/data/.config/zero.cfg"
head -c "$data_bytes" /dev/urandom >"$media/data/table.bin"
run_from_media "tree" &&
  msgbox_of "$SETUP_TITLE" 60000 &&
  expect_eq "tree: status at the end" "$(drv text "$SETUP_TITLE" $IDC_STATUS)" "$COMPLETE_STATUS" &&
  expect_eq "tree: percentage at the end" "$(drv text "$SETUP_TITLE" $IDC_PERCENT)" "100%"
decline_questions "tree"
for file in .config/zero.cfg table.bin; do
  expect_ok cmp "$media/data/$file" "$dir/$file"
done
expect_ok test -d "$dir/empty"
expect_eq "tree: install folder" "$(listing "$dir")" "$(bars "${PACKAGE_FILES[@]}" .config empty table.bin)"
expect_eq "tree: empty folder stays empty" "$(listing "$dir/empty")" ""
forget_install "$dir"

# --- No data folder at all: counts as empty, the run completes.
rm -rf "$media/data"
run_from_media "no data folder" && decline_questions "no data folder"
expect_eq "no data folder: the package's files only" "$(listing "$dir")" "$(bars "${PACKAGE_FILES[@]}")"
forget_install "$dir"

# --- The status line names the data file. A named pipe as that file delivers its first block
# and holds back its end until the status has been read; only the writer started here holds
# the pipe's write end, so releasing it ends the file.
mkdir -p "$media/data"
mkfifo "$media/data/stream.bin" "$release"
head -c "$data_bytes" /dev/urandom >"$E2E_STATE/stream.bin"
(cat "$E2E_STATE/stream.bin"; read -r _ <"$release") >"$media/data/stream.bin" &
writer=$!
if run_from_media "status" && drv wait-text "$SETUP_TITLE" $IDC_STATUS "복사 중... stream.bin" 30000; then
  _pass "status: the status line names the data file"
  echo >"$release"
  wait "$writer"
else
  fail "status: the data file was never named"
  kill "$writer"  # it may wait for a reader that never came
fi
writer=
decline_questions "status"
expect_ok cmp "$E2E_STATE/stream.bin" "$dir/stream.bin"
finish

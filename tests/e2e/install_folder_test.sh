#!/usr/bin/env bash
# Folder texts at Install: the bad-path message for every kind of rejected
# text, and the drive check (a drive whose root refuses files, a nearly full
# drive) with the capacity message, the dialog left idle each time.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

mounts=()
cleanup() {
  setup_stop
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  rm -f "$WINEPREFIX/dosdevices/r:" "$WINEPREFIX/dosdevices/t:"
}
trap cleanup EXIT

BADPATH_TEXT='설치 경로명이 잘못 되었습니다. 다음을 점검해 주십시오.\n\n(1) 드라이브명과 루트디렉토리가 반드시 포함되어야 합니다.\n(2) 경로명이 일반적인 것인지 확인해 주십시오.'
CAPACITY_TEXT='설치할 드라이브(저장장치)에 여유공간이 부족하거나,\n\n기록 방지 혹은 기록 불가능한 미디어 저장장치가 설치 경로로 지정되었습니다.\n\n확인한 뒤, 설치를 다시 시도해 주십시오.\n\n'

# expect_message_then_idle WHAT TEXT
expect_message_then_idle() {
  if msgbox_of "$SETUP_TITLE"; then
    expect_eq "$1: message" "$MSG_TEXT" "$2"
    expect_eq "$1: caption" "$MSG_CAPTION" "설치"
    drv answer "$SETUP_TITLE" $IDOK >/dev/null
  else
    fail "$1: no message"
  fi
  expect_controls_idle
}

setup_start || { fail "main dialog did not appear"; finish; }

long_folder="C:\\$(printf 'a%.0s' {1..256})"  # 259 bytes: no room for the closing backslash
rejected=(
  'C:' ' C:\Games' 'C:/Games' '\\server\share\Velmora' 'C:\Games\\Velmora' 'C:\Games\\'
  'C:\\Games' 'C:\Games\D:\x' '1:\Games' "$long_folder" '     '
)
for text in "${rejected[@]}"; do
  press_install "$text" || fail "could not press Install for '$text'"
  expect_message_then_idle "rejected '$text'" "$BADPATH_TEXT"
  expect_eq "no agreement for '$text'" "$(drv count-windows "$AGREEMENT_TITLE")" "0"
done

# An accepted text is shown normalised once the run starts: trailing blanks
# gone, one closing backslash. No server answers, so the run then fails.
install_into 'c:\velmora normalised   ' || fail "could not start a run"
expect_ok drv wait-text "$SETUP_TITLE" $IDC_PATH 'c:\velmora normalised\'
find_temp_archive
expect_download_failure "no package server"
expect_eq "the normalised text stays for a retry" "$(drv text "$SETUP_TITLE" $IDC_PATH)" 'c:\velmora normalised\'

# A drive whose root refuses new files, and one with under 1 MiB free.
state="$BUILD_DIR/e2e-drives"
mkdir -p "$state/ro" "$state/tiny"
if mount -t tmpfs -o ro,size=64m tmpfs "$state/ro" && mount -t tmpfs -o size=512k tmpfs "$state/tiny"; then
  mounts=("$state/ro" "$state/tiny")
  ln -sfn "$state/ro" "$WINEPREFIX/dosdevices/r:"
  ln -sfn "$state/tiny" "$WINEPREFIX/dosdevices/t:"
  for drive in R T; do
    install_into "$drive:\\Velmora" || fail "$drive: could not accept the agreement"
    expect_message_then_idle "drive $drive:" "$CAPACITY_TEXT"
    expect_eq "drive $drive: test file removed or never made" "$(ls -A "$state/tiny")" ""
  done
  # The next press runs the whole sequence again, agreement included.
  press_install 'T:\Velmora'
  expect_ok drv wait-window "$AGREEMENT_TITLE"
  drv click "$AGREEMENT_TITLE" $IDCANCEL >/dev/null
else
  fail "cannot mount the test drives (needs root)"
fi
finish

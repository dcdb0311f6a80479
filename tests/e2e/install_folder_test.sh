#!/usr/bin/env bash
# Folder texts at Install: the bad-path message for every kind of rejected
# text, the folder picker behind "...", and the drive check (a drive whose root
# refuses files, a nearly full drive) with the capacity message, the dialog left
# idle each time.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

mounts=()
picked=$(drive_c)/velmora-picked
cleanup() {
  setup_stop
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  rm -f "$WINEPREFIX/dosdevices/r:" "$WINEPREFIX/dosdevices/t:"
  rm -rf "$picked"
}
trap cleanup EXIT

# expect_message_then_idle WHAT TEXT
expect_message_then_idle() {
  if msgbox_of "$SETUP_TITLE"; then
    expect_box "$1: message" "$2"
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

# The folder picker opens on the folder last submitted with Install (here submitted, then the
# agreement declined), not on a text typed since; its status line shows the folder it selects.
# OK writes the picked folder with the product's subfolder: a drive root gets "Velmora", a
# folder ending in "\Velmora" stays, another gets "\Velmora" appended. Cancel changes nothing.
mkdir -p "$picked/Velmora" "$picked/Games" "$picked/typed"
pick 'C:\' 'C:\' 'C:\Velmora'
pick 'C:\velmora-picked\Velmora' 'C:\velmora-picked\Velmora' 'C:\velmora-picked\Velmora'
pick 'C:\velmora-picked\Games  ' 'C:\velmora-picked\Games' 'C:\velmora-picked\Games\Velmora'
if open_picker; then
  drv click "$PICKER" $IDCANCEL >/dev/null
  expect_ok drv wait-gone "$PICKER"
else
  fail "no folder picker to cancel"
fi
expect_eq "picker cancelled: the folder field unchanged" "$(drv text "$SETUP_TITLE" $IDC_PATH)" \
  'C:\velmora-picked\Games\Velmora'
expect_controls_idle

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

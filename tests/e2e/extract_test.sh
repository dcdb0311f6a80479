#!/usr/bin/env bash
# shellcheck disable=SC2317,SC2119  # cleanup runs from the trap; setup_start takes no script arguments
# End to end: Install against nginx, the package extracted into the install folder with the
# status line naming each entry; then a cancel during a large entry answered No, then Yes.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d)
export PACKAGE_SERVER_STATE=${BUILD_DIR:?}/e2e-state/extract-nginx
cleanup() {
  setup_stop
  bash "$SOURCE_DIR/scripts/package-server.sh" stop >/dev/null 2>&1
  rm -rf "$work" "$(drive_c)/VelmoraE2E"
}
trap cleanup EXIT

# The package: a small program to start at the end, a text, a large entry that takes seconds to
# extract (zeros: a small download), and an entry after it that a confirmed cancel never reaches.
BIG_BYTES=$((256 * 1024 * 1024))
pkg=$work/pkg
mkdir -p "$pkg/docs" "$work/root/update"
cp "$UIDRIVER" "$pkg/Velmora.EXE"
printf 'Velmora readme\r\n' >"$pkg/docs/readme.txt"
head -c $BIG_BYTES /dev/zero >"$pkg/big.bin"
printf 'after\r\n' >"$pkg/after.txt"
(cd "$pkg" && zip -q -X "$work/root/update/velmora_direct.zip" Velmora.EXE docs/ docs/readme.txt big.bin after.txt)
rm "$pkg/big.bin"
bash "$SOURCE_DIR/scripts/package-server.sh" start "$work/root" >/dev/null || { fail "package server"; finish; }

INSTALL_DIR_TEXT="C:\\VelmoraE2E\\"
install_dir=$(drive_c)/VelmoraE2E
STATUS_BIG="복사 중... big.bin"

# --- A whole run: every entry lands, the status line names the entry being written.
setup_start
install_into "$INSTALL_DIR_TEXT"
expect_ok drv wait-text "$SETUP_TITLE" $IDC_STATUS "$STATUS_BIG" 30000
# Then the finishing steps close the dialog.
if ! wait_exit "$SETUP_PID" 60; then
  MSG_TEXT=
  msgbox_of "$SETUP_TITLE" 1000
  fail "the run did not end; message box: ${MSG_TEXT:-none}"
fi
setup_stop
for f in Velmora.EXE docs/readme.txt after.txt; do
  expect_ok cmp -s "$pkg/$f" "$install_dir/$f"
done
expect_eq "big.bin size" "$(stat -c %s "$install_dir/big.bin")" "$BIG_BYTES"

# --- Cancel during the large entry: No goes on, Yes stops the run as a user abort.
rm -rf "$install_dir"
setup_start
install_into "$INSTALL_DIR_TEXT"
expect_ok drv wait-text "$SETUP_TITLE" $IDC_STATUS "$STATUS_BIG" 30000
drv click "$SETUP_TITLE" $IDCANCEL >/dev/null
if msgbox_of "$SETUP_TITLE"; then
  expect_box "question" "$EXTRACT_QUESTION"
else
  fail "no cancel question"
fi
# The worker waits while the question is open; after No it writes on.
size_at_question=$(stat -c %s "$install_dir/big.bin")
drv answer "$SETUP_TITLE" $IDNO >/dev/null
drv click "$SETUP_TITLE" $IDCANCEL >/dev/null
if msgbox_of "$SETUP_TITLE"; then
  expect_ok test "$(stat -c %s "$install_dir/big.bin")" -gt "$size_at_question"
  drv answer "$SETUP_TITLE" $IDYES >/dev/null
else
  fail "no second cancel question"
fi
if msgbox_of "$SETUP_TITLE"; then
  expect_box "abort message" "$ABORTED_TEXT"
  drv answer "$SETUP_TITLE" $IDOK >/dev/null
else
  fail "no abort message"
fi
expect_controls_idle
partial=$(stat -c %s "$install_dir/big.bin" 2>/dev/null || echo 0)
expect_ok test "$partial" -gt 0  # big.bin stays partly written
expect_ok test "$partial" -lt $BIG_BYTES
expect_fail test -e "$install_dir/after.txt"
setup_stop

finish

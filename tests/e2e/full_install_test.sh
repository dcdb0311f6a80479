#!/usr/bin/env bash
# The whole install with the Velmora profile: nginx serves the package built from the sample
# product, the setup downloads and extracts it into a folder with a blank in its name, makes
# the shortcuts and the whole uninstall entry without a question, starts Velmora.EXE with no
# arguments in the install folder and ends; its temporary archive is gone, and the log asked
# for with /log: holds the run's stages. Then the sample uninstaller removes what the setup made.
set -uo pipefail
here=$(dirname "$0")
. "$here/lib.sh"
. "$here/install_state.sh"

package_root="${BUILD_DIR:?}/package"
[ -f "$package_root/update/velmora_direct.zip" ] || { fail "no package in $package_root"; finish; }
win_dir='C:\Velmora Full\'
dir="$(drive_c)/Velmora Full"
server="$SOURCE_DIR/scripts/package-server.sh"
log_win='C:\velmora-full.log'
log="$(drive_c)/velmora-full.log"

cleanup() {
  setup_stop
  drv close "$PRODUCT_WINDOW" 2000 >/dev/null 2>&1 || true
  bash "$server" stop >/dev/null 2>&1 || true
}
trap cleanup EXIT

forget_install "$dir"
rm -f "$log"
find "$(user_dir)" -name _tansetup_.zip -delete 2>/dev/null
bash "$server" start "$package_root" >/dev/null || { fail "package server did not start"; finish; }

started=$EPOCHREALTIME
setup_start "/log:$log_win"
install_into "$win_dir" || fail "Install and agreement"
# No question is asked in the direct variant: the setup ends by itself.
if wait_exit "$SETUP_PID" 120; then
  expect_eq "setup exit code" "$EXIT_CODE" 0
  SETUP_PID=
else
  fail "setup still running; message box: $(drv wait-msgbox "$SETUP_TITLE" 1 2>&1 | tr '\n' ' ')"
fi
echo "full install took $(awk "BEGIN { printf \"%.1f\", $EPOCHREALTIME - $started }") s"
expect_eq "setup window gone" "$(drv count-windows "$SETUP_TITLE")" 0
expect_eq "temporary archive gone" "$(find "$(user_dir)" -name _tansetup_.zip | wc -l)" 0

expect_ok test -f "$dir/$PRODUCT_EXE"
expect_ok test -f "$dir/$UNINST_EXE"
expect_ok wait_for_file "$dir/started.log" 10
expect_eq "product started once, in the install folder, with no arguments" \
  "$(started_lines "$dir")" "$(printf 'cwd=C:\\Velmora Full\targs=')"
expect_ok drv wait-window "$PRODUCT_WINDOW" 10000

expect_ok test -f "$(desktop_dir)/$PRODUCT_LINK"
expect_eq "group content" "$(LC_ALL=C ls "$(group_dir)" | tr '\n' '|')" "$UNINST_LINK|$PRODUCT_LINK|"
expect_eq "uninstall entry" "$(dated_entry_values)" \
  "$(printf 'DisplayIcon REG_SZ %sVelmora.EXE\nDisplayName REG_SZ Velmora\nDisplayVersion REG_SZ 1.1.0.1
EstimatedSize REG_DWORD %s\nInstallDate REG_SZ TODAY\nInstallLocation REG_SZ %s
NoModify REG_DWORD 0x1\nNoRepair REG_DWORD 0x1\nPublisher REG_SZ Tandrel
UninstallString REG_SZ %sUNINST.EXE\nURLInfoAbout REG_SZ https://velmora.example/' \
    "$win_dir" "$(entry_size "$package_root/update/velmora_direct.zip")" "$win_dir" "$win_dir")"
expect_eq "the log's lines" "$(log_texts "$log")" "setup started: /log:$log_win
download start
download ok
extract start
extract ok
setup ended: exit 0"

drv close "$PRODUCT_WINDOW" >/dev/null
drv wait-gone "$PRODUCT_WINDOW" >/dev/null
uninstall_and_check "$win_dir" "$dir"
forget_install "$dir"
rm -f "$log"
finish

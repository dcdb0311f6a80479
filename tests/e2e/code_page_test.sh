#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# The setup on a Windows whose code page for programs that are not Unicode is not Korean's
# (Wine with LANG=en_US.UTF-8: code page 1252). Its texts, a message box, a folder typed or
# picked with Korean in it, a whole install into a Korean folder of a package with Korean file
# names (its shortcuts and uninstall entry), and names it must refuse or keep as characters:
# each compared, as characters, with the texts the Korean system shows. The package, made by
# make-package.sh, installs under the same names under the Korean code page too.
set -uo pipefail
here=$(dirname "$0")
. "$here/lib.sh"
. "$here/install_state.sh"

KOREAN_LOCALE=$LANG  # the prefix's, from wine_env_setup
OTHER_LOCALE=en_US.UTF-8

# use_locale LOCALE: the setup and the driver started from now on run under LOCALE's code page.
use_locale() { export LANG=$1 LC_ALL=$1; }

work=$E2E_STATE/code-page
win_dir='C:\벨모라 전체\'
dir="$(drive_c)/벨모라 전체"
korean_dir="$(drive_c)/벨모라 한국"
names_dir="$(drive_c)/벨모라 이름"
picked="$(drive_c)/벨모라 고른 곳"
cleanup() {
  setup_stop
  drv close "$PRODUCT_WINDOW" 2000 >/dev/null 2>&1 || true
  nginx_stop
  use_locale "$KOREAN_LOCALE"
  forget_install "$dir"
  rm -rf "$work" "$korean_dir" "$names_dir" "$picked"
}
trap cleanup EXIT

# utf8_flags ZIP: "NAME:1" for each entry, in directory order, whose general-purpose flag bit 11
# (a UTF-8 name) is set, "NAME:0" for the others; read from the central directory's bytes.
utf8_flags() {
  paste -d: <(zipinfo -1 "$1") <(od -An -v -tx1 "$1" | tr -d ' \n' | grep -oE '504b0102[0-9a-f]{12}' |
    cut -c19-20 | while read -r high; do echo $((0x$high >> 3 & 1)); done) | tr '\n' ' '
}

# pack NAME FOLDER: FOLDER packed by the publisher's script as the package nginx serves under
# the profile's archive name from $work/NAME.
pack() {
  bash "$SOURCE_DIR/scripts/make-package.sh" "$2" "$work/$1/update/$PROFILE_ARCHIVE_NAME" >/dev/null
}

# The package: the sample product, and a folder and a file with Korean names.
rm -rf "$work" && mkdir -p "$work/korean/자료"
cp "$BUILD_DIR/sample/$PRODUCT_EXE" "$BUILD_DIR/sample/$UNINST_EXE" "$work/korean/"
printf '설명서\r\n' >"$work/korean/자료/설명서.txt"
pack korean-package "$work/korean" || { fail "make-package.sh"; finish; }
package="$work/korean-package/update/$PROFILE_ARCHIVE_NAME"
expect_eq "make-package.sh flags the Korean names as UTF-8, not the ASCII ones" "$(utf8_flags "$package")" \
  "$UNINST_EXE:0 $PRODUCT_EXE:0 자료/:1 자료/설명서.txt:1 "

use_locale "$OTHER_LOCALE"
expect_eq "the driver and the setup run under code page 1252" "$(drv code-page)" 1252

# --- The main dialog's texts, as the Korean system shows them.
setup_start || { fail "main dialog did not appear under $OTHER_LOCALE"; finish; }
expect_eq "found by its title" "$(drv count-windows "$SETUP_TITLE")" 1
expect_eq "status" "$(drv text "$SETUP_TITLE" $IDC_STATUS)" "$IDLE_STATUS"
banner=$(drv text "$SETUP_TITLE" $IDC_BANNER_TEXT)
expect_eq "banner starts with the title" "${banner%%$'\n'*}" "$SETUP_TITLE "
expect_eq "marker text" "$(drv text "$SETUP_TITLE" $IDC_MARKER)" "$PROFILE_INSTANCE_MARKER"
expect_eq "Install button, from the template" "$(drv text "$SETUP_TITLE" $IDC_INSTALL)" "설치 (&S)"
expect_eq "Cancel button, from the template" "$(drv text "$SETUP_TITLE" $IDCANCEL)" "취소 (&C)"

# --- A message box, and a typed folder with a character code page 949 cannot hold: the
# bad-path message, as for any other folder the setup refuses.
for typed in 'C:' 'C:\사진😀\'; do
  press_install "$typed" || fail "could not press Install for '$typed'"
  if msgbox_of "$SETUP_TITLE"; then
    expect_box "typed '$typed'" "$BADPATH_TEXT"
    drv answer "$SETUP_TITLE" $IDOK >/dev/null
  else
    fail "typed '$typed': no message"
  fi
done

# --- The folder picker: it opens on, shows and writes back a Korean folder.
mkdir -p "$picked/Games"
pick 'C:\벨모라 고른 곳\Games' 'C:\벨모라 고른 곳\Games' 'C:\벨모라 고른 곳\Games\Velmora'

# --- The agreement's text.
press_install "$win_dir" && drv wait-window "$AGREEMENT_TITLE" >/dev/null || fail "no agreement"
expect_eq "the whole agreement text" "$(drv text "$AGREEMENT_TITLE" $IDC_AGREEMENT_TEXT | tr -d '\r')" \
  "$(tr -d '\r' <"$SOURCE_DIR/profile/velmora/contract.txt")"
drv click "$AGREEMENT_TITLE" $IDCANCEL >/dev/null
setup_stop

# --- A whole install into a Korean folder, of the package with Korean file names.
forget_install "$dir"
nginx_start "$work/korean-package" || { fail "package server did not start"; finish; }
setup_start
install_into "$win_dir" || fail "Install and agreement"
expect_setup_success "install under $OTHER_LOCALE"
expect_package_installed "install under $OTHER_LOCALE" "$package" "$dir"
expect_ok drv wait-window "$PRODUCT_WINDOW" 10000
drv close "$PRODUCT_WINDOW" >/dev/null
expect_ok test -f "$(desktop_dir)/$PRODUCT_LINK"
expect_eq "group content" "$(LC_ALL=C ls "$(group_dir)" | tr '\n' '|')" "$UNINST_LINK|$PRODUCT_LINK|"
# A shortcut keeps its target's folder in UTF-16.
folder_utf16=$(printf '%s' "$win_dir" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n')
expect_ok grep -q "$folder_utf16" <(od -An -tx1 "$(group_dir)/$UNINST_LINK" | tr -d ' \n')
expect_eq "uninstall entry" "$(use_locale "$KOREAN_LOCALE"; dated_entry_values)" \
  "$(expected_entry "$win_dir" "$package")"
drv wait-gone "$PRODUCT_WINDOW" >/dev/null
forget_install "$dir"

# --- The same package under the Korean code page: the same names.
use_locale "$KOREAN_LOCALE"
setup_start
install_into 'C:\벨모라 한국\' || fail "Install and agreement under $KOREAN_LOCALE"
expect_setup_success "install under $KOREAN_LOCALE"
expect_package_installed "install under $KOREAN_LOCALE" "$package" "$korean_dir"
drv close "$PRODUCT_WINDOW" 10000 >/dev/null
drv wait-gone "$PRODUCT_WINDOW" >/dev/null
forget_install "$korean_dir"
nginx_stop

# --- Names the setup must not write as they would come out in another code page: fullwidth
# "＼" and "．" stay characters inside the folder; an emoji, which code page 949 lacks, fails the
# extraction before anything of it is written. (Packed in this order: byte-wise.)
use_locale "$OTHER_LOCALE"
mkdir -p "$work/names/．．"
printf 'a' >"$work/names/..＼escape.txt"
printf 'b' >"$work/names/．．/escape.txt"
printf 'c' >"$work/names/😀 사진.txt"
pack names-package "$work/names" || { fail "make-package.sh"; finish; }
nginx_start "$work/names-package" || { fail "package server did not start"; finish; }
setup_start_traced
install_into 'C:\벨모라 이름\' || fail "Install and agreement"
if msgbox_of "$SETUP_TITLE" 30000; then
  expect_box "a name code page 949 lacks" "$FAILED_TEXT"
  drv answer "$SETUP_TITLE" $IDOK >/dev/null
else
  fail "no failure message"
fi
expect_eq "its own failure" "$(failure_lines)" "extract failed: name-code-page"
expect_eq "fullwidth names stay inside, the emoji's file is never written" \
  "$(cd "$names_dir" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' '|')" "./..＼escape.txt|./．．|./．．/escape.txt|"
expect_eq "nothing beside the folder" "$(find "$(drive_c)" -maxdepth 1 -name '*escape*' | wc -l)" 0
setup_stop
finish

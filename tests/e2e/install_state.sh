# shellcheck shell=bash
# What an install of the profile's sample product leaves behind, for the scenarios that install
# or remove it. Source after lib.sh (needs the profile values, drive_c and a Wine environment).
# shellcheck disable=SC2034  # the names are for the scenario scripts

PRODUCT_NAME=$PROFILE_PRODUCT_NAME
PRODUCT_EXE=$PROFILE_PRODUCT_EXE
UNINST_EXE=$PROFILE_UNINST_EXE
HELP_EXE=$PROFILE_HELP_EXE
GROUP_NAME=$PROFILE_GROUP_NAME
PRODUCT_LINK="$PRODUCT_NAME.lnk"
PRODUCT_URL_FILE="$PRODUCT_NAME.url"
HELP_LINK="$PROFILE_HELP_LINK_NAME.lnk"
UNINST_TITLE=$PROFILE_UNINST_LINK_NAME  # also the uninstaller's question box
UNINST_LINK="$UNINST_TITLE.lnk"
PRODUCT_WINDOW=$PRODUCT_NAME
LAUNCH_ARGS=$PROFILE_LAUNCH_ARGS
ENTRY_KEY="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$PROFILE_UNINST_KEY_NAME"

# The prefix's user folder (Linux path), where the desktop and the Start menu live.
user_dir() {
  local d
  for d in "$(drive_c)"/users/*/; do
    [ "$(basename "$d")" = Public ] || { echo "${d%/}"; return 0; }
  done
  return 1
}
desktop_dir() { echo "$(user_dir)/Desktop"; }
group_dir() { echo "$(user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$GROUP_NAME"; }

# The registry view the build under test writes: a 32-bit program's HKLM\Software is the 32-bit
# view (Wow6432Node), a 64-bit program's the native one.
REG_VIEW="/reg:${SETUP_WINE_BITS:-32}"

# entry_values: the uninstall entry as the program's registry view shows it, UTF-8, one
# "NAME TYPE DATA" line per value; fails when there is no entry.
entry_values() {
  local out
  out=$(wine_run reg query "$ENTRY_KEY" "$REG_VIEW" </dev/null 2>/dev/null) || return 1
  iconv -f CP949 -t UTF-8 <<<"$out" | tr -d '\r' | sed -n 's/^ \{4\}\([^ ]*\) \{4\}\(REG_[A-Z_]*\) \{4\}/\1 \2 /p'
}

# dated_entry_values: entry_values with an InstallDate of today (or of yesterday: a run may
# cross midnight) shown as TODAY. Wine's local time is this host's.
dated_entry_values() {
  local today yesterday
  today=$(date +%Y%m%d) yesterday=$(date -d yesterday +%Y%m%d)
  entry_values | sed -E "s/^(InstallDate REG_SZ )($today|$yesterday)\$/\1TODAY/"
}

# entry_size ZIP: the uninstall entry's EstimatedSize for an install of ZIP, as reg shows it:
# the KiB of its entries' bytes, rounded up, in hexadecimal.
entry_size() {
  local bytes
  bytes=$(unzip -Zt "$1" | sed -n 's/^[0-9]* files\?, \([0-9]*\) bytes uncompressed.*/\1/p')
  printf '0x%x' $(((bytes + 1023) / 1024))
}

# expected_entry DIR_WIN ZIP: the whole uninstall entry of an install of ZIP into DIR_WIN today,
# as dated_entry_values shows it: the values in the registry's order, the profile's texts that
# are empty and its flags that are 0 left out.
expected_entry() {
  local dir=$1
  printf 'DisplayIcon REG_SZ %s%s\n' "$dir" "$PRODUCT_EXE"
  printf 'DisplayName REG_SZ %s\n' "$PROFILE_UNINST_KEY_NAME"
  [ -z "$PROFILE_DISPLAY_VERSION" ] || printf 'DisplayVersion REG_SZ %s\n' "$PROFILE_DISPLAY_VERSION"
  printf 'EstimatedSize REG_DWORD %s\n' "$(entry_size "$2")"
  printf 'InstallDate REG_SZ TODAY\n'
  printf 'InstallLocation REG_SZ %s\n' "$dir"
  [ "$PROFILE_NO_MODIFY" = 0 ] || printf 'NoModify REG_DWORD 0x1\n'
  [ "$PROFILE_NO_REPAIR" = 0 ] || printf 'NoRepair REG_DWORD 0x1\n'
  [ -z "$PROFILE_PUBLISHER" ] || printf 'Publisher REG_SZ %s\n' "$PROFILE_PUBLISHER"
  printf 'UninstallString REG_SZ %s%s\n' "$dir" "$UNINST_EXE"
  [ -z "$PROFILE_URL_INFO_ABOUT" ] || printf 'URLInfoAbout REG_SZ %s\n' "$PROFILE_URL_INFO_ABOUT"
}

# started_lines DIR: the product's record of its starts in DIR (Linux path), CR removed.
started_lines() {
  tr -d '\r' <"$1/started.log" 2>/dev/null
}

# wait_for_file PATH SECONDS
wait_for_file() {
  local ticks=$(($2 * 10))
  until [ -e "$1" ]; do
    [ "$ticks" -gt 0 ] || return 1
    ticks=$((ticks - 1))
    sleep 0.1
  done
}

# wait_gone PATH SECONDS
wait_gone() {
  local ticks=$(($2 * 10))
  while [ -e "$1" ]; do
    [ "$ticks" -gt 0 ] || return 1
    ticks=$((ticks - 1))
    sleep 0.1
  done
}

# forget_install DIR: removes what an earlier run left: DIR (Linux path), the shortcuts,
# the group and the entry.
forget_install() {
  local user
  user=$(user_dir) || return 1
  rm -rf "${1:?}" "$user/Desktop/$PRODUCT_LINK" "$user/Desktop/$PRODUCT_URL_FILE" "$(group_dir)"
  wine_run reg delete "$ENTRY_KEY" "$REG_VIEW" /f </dev/null >/dev/null 2>&1 || true
}

# uninstall_and_check DIR_WIN DIR: runs the uninstaller in DIR_WIN (DIR as a Linux path),
# answers No, then runs it again and answers Yes, and checks what each answer leaves.
uninstall_and_check() {
  local win=$1 dir=$2
  start_program "${win}$UNINST_EXE"
  expect_ok drv wait-window "$UNINST_TITLE" 20000
  expect_ok drv click "$UNINST_TITLE" "$IDNO"
  wait_exit "$PROGRAM_PID" 10 || fail "uninstaller still running after No"
  expect_ok test -f "$dir/$PRODUCT_EXE"
  expect_ok test -f "$dir/$UNINST_EXE"
  expect_ok entry_values

  start_program "${win}$UNINST_EXE"
  expect_ok drv wait-window "$UNINST_TITLE" 20000
  expect_ok drv click "$UNINST_TITLE" "$IDYES"
  wait_exit "$PROGRAM_PID" 10 || fail "uninstaller still running after Yes"
  expect_ok wait_gone "$dir" 15
  expect_fail test -e "$(desktop_dir)/$PRODUCT_LINK"
  expect_ok wait_gone "$(group_dir)" 1
  expect_fail entry_values
}

# expect_setup_success WHAT [SECONDS]: the setup ends by itself with exit code 0 within SECONDS
# (120); a box it still shows is named in the failure.
expect_setup_success() {
  if wait_exit "${SETUP_PID:?}" "${2:-120}"; then
    expect_eq "$1: setup ended with success" "$EXIT_CODE" 0
    SETUP_PID=
  else
    fail "$1: setup still running; $(drv wait-msgbox "$SETUP_TITLE" 1 2>&1 | tr '\n' ' ')"
  fi
}

# expect_package_installed WHAT PACKAGE DIR: DIR (a Linux path) holds every entry of the zip
# PACKAGE with its bytes, and nothing else but the product's record of its start.
expect_package_installed() {
  local unpacked
  unpacked=$(mktemp -d) || return 1
  if ! unzip -q "$2" -d "$unpacked"; then
    fail "$1: cannot unpack $2"
  elif diff -r -x started.log "$unpacked" "$3" >/dev/null 2>&1; then
    _pass "$1: the package's entries installed byte for byte"
  else
    fail "$1: the install folder differs from the package: $(diff -rq -x started.log "$unpacked" "$3" 2>&1 | head -3 | tr '\n' ' ')"
  fi
  rm -rf "$unpacked"
}

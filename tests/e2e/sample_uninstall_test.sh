#!/usr/bin/env bash
# The sample uninstaller on an install laid out by hand as the setup would leave it: the
# package's files, the two group shortcuts, the desktop shortcut and the uninstall entry.
# No removes nothing; Yes removes all of it, its own file and folder included.
set -uo pipefail
here=$(dirname "$0")
. "$here/lib.sh"
. "$here/install_state.sh"

package="${BUILD_DIR:?}/package/update/velmora_direct.zip"
win_dir='C:\Velmora Uninstall\'
dir="$(drive_c)/Velmora Uninstall"
forget_install "$dir"
mkdir -p "$dir" "$(desktop_dir)" "$(group_dir)"
unzip -q -o "$package" -d "$dir" || { fail "cannot unpack $package"; finish; }
for link in "$(desktop_dir)/$PRODUCT_LINK" "$(group_dir)/$PRODUCT_LINK" "$(group_dir)/$UNINST_LINK"; do
  printf 'link' >"$link"
done
wine_run reg add "$ENTRY_KEY" /v DisplayName /t REG_SZ /d Velmora "$REG_VIEW" /f </dev/null >/dev/null 2>&1
wine_run reg add "$ENTRY_KEY" /v UninstallString /t REG_SZ /d "${win_dir}$UNINST_EXE" "$REG_VIEW" /f \
  </dev/null >/dev/null 2>&1
printf 'cwd=C:\\Velmora Uninstall\targs=\r\n' >"$dir/started.log"

uninstall_and_check "$win_dir" "$dir"
forget_install "$dir"
finish

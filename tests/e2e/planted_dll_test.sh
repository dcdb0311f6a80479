#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# No DLL is taken from the setup's own folder. A browser's download folder may hold files named
# like system DLLs, and the setup runs there as administrator. A marker-writing DLL
# (tests/e2e/planted_dll.c) lies beside a copy of the setup under the name of each DLL that the
# setup, WinInet (with TLS) or the window manager may load, and Wine takes a DLL of that name from
# the search path before its own (NAME=n,b), as Windows does for a DLL that is not a known DLL.
# Whole installs from the profile's server over HTTP and from an https package URL then complete,
# and no marker is written.
set -uo pipefail
here=$(dirname "$0")
. "$here/lib.sh"
. "$here/install_state.sh"

PLANTED_NAMES=(sensapi wininet mpr uxtheme dwmapi winhttp secur32 crypt32 iphlpapi dnsapi)

root=$BUILD_DIR/package
package=$root/update/velmora_direct.zip
[ -f "$package" ] || { fail "no package at $package"; finish; }
folder=$E2E_STATE/planted
markers=$E2E_STATE/planted-markers
win_dir='C:\Velmora Planted\'
dir="$(drive_c)/Velmora Planted"

cleanup() {
  setup_stop
  drv close "$PRODUCT_WINDOW" 2000 >/dev/null 2>&1 || true
  tls_untrust >/dev/null 2>&1
  nginx_stop
  forget_install "$dir"
}
trap cleanup EXIT

rm -rf "$folder" "$markers"
mkdir -p "$folder" "$markers"
cp "$SETUP_EXE" "$folder/velmora_setup.exe"
for name in "${PLANTED_NAMES[@]}"; do
  cp "${PLANTED_DLL:?}" "$folder/$name.dll" || { fail "no marker DLL"; finish; }
done
export PLANTED_DLL_MARKERS="Z:${markers//\//\\}"
overrides="$WINE_ENV_DLLOVERRIDES;$(IFS=,; echo "${PLANTED_NAMES[*]}")=n,b"

# marker_names: the markers written so far, one a line, in lower case (a DLL named by an import
# is known to the loader as the importer spells it: WININET.dll).
marker_names() { ls "$markers" | tr '[:upper:]' '[:lower:]'; }

# The marker DLL writes its marker when a program loads it.
WINEDLLOVERRIDES=$overrides wine_run rundll32.exe "Z:${folder//\//\\}\\sensapi.dll,Load" </dev/null >/dev/null 2>&1
expect_eq "rundll32 loading a planted DLL leaves its marker" "$(marker_names)" sensapi.dll
rm -f "$markers"/*

# installs_unplanted WHAT ARGS...: the planted setup started with ARGS installs the package whole,
# starts the product, and no planted DLL was loaded.
installs_unplanted() {
  local what=$1 loaded name
  shift
  forget_install "$dir"
  WINEDLLOVERRIDES=$overrides SETUP_EXE=$folder/velmora_setup.exe setup_start "$@" ||
    { fail "$what: setup did not start"; return; }
  install_into "$win_dir" || fail "$what: Install and agreement"
  expect_setup_success "$what"
  expect_package_installed "$what" "$package" "$dir"
  expect_ok wait_for_file "$dir/started.log" 10
  loaded=$(marker_names)
  for name in "${PLANTED_NAMES[@]}"; do
    if grep -qx "$name.dll" <<<"$loaded"; then
      fail "$what: $name.dll was loaded from the setup's folder"
    else
      _pass "$what: $name.dll not loaded from the setup's folder"
    fi
  done
  expect_eq "$what: no marker at all" "$loaded" ""
  drv close "$PRODUCT_WINDOW" 10000 >/dev/null 2>&1
  drv wait-gone "$PRODUCT_WINDOW" >/dev/null 2>&1
}

find "$(user_dir)" -name "$TEMP_ARCHIVE_NAME" -delete 2>/dev/null
tls_ca_make "$E2E_STATE/tls" || { fail "cannot make the test CA"; finish; }
PACKAGE_SERVER_TLS=$TLS_DIR nginx_start "$root" || { fail "package server did not start"; finish; }
tls_trust || { fail "cannot trust the test CA in the prefix"; finish; }

installs_unplanted "the profile's server over http"
installs_unplanted "an https package URL" "/axs:L https://localhost/update/velmora_direct.zip A"
finish

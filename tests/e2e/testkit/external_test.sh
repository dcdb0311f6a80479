#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# External mode ("/axs:LINK PACKAGE_URL ARGS") with a package that is not direct: no question;
# Internet shortcuts to LINK on the desktop and in the group, the help and uninstall shortcuts,
# the uninstall entry, and the product started with ARGS in the install folder.
set -uo pipefail
. "$(dirname "$0")/testkit.sh"

win_dir='C:\Testkit External\'
dir="$(drive_c)/Testkit External"
link=http://link.example/page
trap 'testkit_cleanup "$dir"' EXIT
forget_install "$dir"
serve_package || { fail "package server did not start"; finish; }

archive=$PROFILE_ARCHIVE_NAME
# Separate words: Wine would quote a single one, and the quotes would reach the arguments.
setup_start "/axs:$link" "http://127.0.0.1/update/$archive" -a -b || { fail "setup did not start"; finish; }
install_into "$win_dir" || fail "Install and agreement"
# A question would hold the setup open: ending by itself means none was asked.
expect_setup_ended "external"
installed=$(listing "$dir")
expect_eq "the package's files" "${installed/started.log|/}" "$(bars "${PACKAGE_FILES[@]}")"

# Four lines, each ended by CR LF, the link unchanged and the product as the icon.
printf '[InternetShortcut]\r\nURL=%s\r\nIconIndex=0\r\nIconFile=%s%s\r\n' \
  "$link" "$win_dir" "$PRODUCT_EXE" >"$E2E_STATE/expected.url"
for url_file in "$(desktop_dir)/$PRODUCT_URL_FILE" "$(group_dir)/$PRODUCT_URL_FILE"; do
  if cmp "$E2E_STATE/expected.url" "$url_file"; then _pass "bytes of $url_file"; else
    fail "bytes of $url_file: $(od -c "$url_file" 2>&1 | head -5)"
  fi
done
expect_fail test -e "$(desktop_dir)/$PRODUCT_LINK"
expect_eq "group" "$(group_listing)" "$(bars "$HELP_LINK" "$UNINST_LINK" "$PRODUCT_URL_FILE")"
# A shell link keeps its target's path as ANSI text.
for shortcut in "$HELP_LINK=$HELP_EXE" "$UNINST_LINK=$UNINST_EXE"; do
  target="$win_dir${shortcut#*=}"
  if grep -qaF "$(iconv -f UTF-8 -t CP949 <<<"$target")" "$(group_dir)/${shortcut%%=*}"; then
    _pass "${shortcut%%=*} points at $target"
  else
    fail "${shortcut%%=*} does not point at $target"
  fi
done
expect_eq "uninstall entry" "$(dated_entry_values)" "$(expected_entry "$win_dir" "$PACKAGE")"
expect_started "external" "$win_dir" "$dir" "-a -b"
finish

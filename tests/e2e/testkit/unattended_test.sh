#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# Quiet runs of a package that is not direct: the asking variant (no "/axs:") asks nothing and
# makes the standard shortcuts, the external one (with "/axs:") its Internet shortcuts; neither
# starts the product. The signed package is checked, the data-folder stage runs (no data folder
# lies beside this build's setup), and no window shows at any point.
set -uo pipefail
. "$(dirname "$0")/testkit.sh"

win_dir='C:\Testkit Quiet\'
dir="$(drive_c)/Testkit Quiet"
log_win='C:\testkit-quiet.log'
log="$(drive_c)/testkit-quiet.log"
link=http://link.example/page
trap 'testkit_cleanup "$dir"; rm -f "$log"' EXIT
forget_install "$dir"
serve_package || { fail "package server did not start"; finish; }

while IFS='|' read -r variant args links; do
  rm -f "$log"
  args="/quiet /accept-licence /log:$log_win /dir:\"${win_dir%\\}\"$args"
  setup_run "$args" || fail "$variant: the setup did not end"
  expect_eq "$variant: exit code" "$RUN_EXIT" 0
  expect_eq "$variant: no window at any point" "$RUN_WINDOWS" ""
  installed=$(listing "$dir")
  expect_eq "$variant: the package's files" "$installed" "$(bars "${PACKAGE_FILES[@]}")"
  expect_eq "$variant: group" "$(group_listing)" "$(bars "$HELP_LINK" "$UNINST_LINK" "$links")"
  expect_ok test -f "$(desktop_dir)/$links"
  expect_eq "$variant: the whole uninstall entry" "$(dated_entry_values)" "$(expected_entry "$win_dir" "$PACKAGE")"
  expect_eq "$variant: the log" "$(log_texts "$log")" "setup started: $args
download start
download ok
extract start
extract ok
data-copy start
data-copy ok
product not started: unattended run
setup ended: exit 0"
  expect_eq "$variant: the product not started" "$(drv count-windows "$PRODUCT_WINDOW")" 0
  forget_install "$dir"
done <<EOT
asking||$PRODUCT_LINK
external| /axs:$link http://127.0.0.1/update/$PROFILE_ARCHIVE_NAME -a|$PRODUCT_URL_FILE
EOT
finish

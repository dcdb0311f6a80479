#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup runs from the trap
# The asking variant (a package that is not direct, no "/axs:"): after the copy the setup asks
# whether to make the shortcuts, then whether to start the product, in the four combinations of
# answers. Shortcuts, group and uninstall entry exist only after Yes to the first; the product
# starts with the profile's launch arguments only after Yes to the second; the setup closes in
# every case. No data folder lies beside this build's setup, so every run also shows that the
# data-folder stage completes without one.
set -uo pipefail
. "$(dirname "$0")/testkit.sh"

win_dir='C:\Testkit Ask\'
dir="$(drive_c)/Testkit Ask"
trap 'testkit_cleanup "$dir"' EXIT
forget_install "$dir"
serve_package || { fail "package server did not start"; finish; }

button() { if [ "$1" = Yes ]; then echo $IDYES; else echo $IDNO; fi; }

for answers in "Yes Yes" "Yes No" "No Yes" "No No"; do
  read -r shortcuts run <<<"$answers"
  what="shortcuts $shortcuts, run $run"
  setup_start || { fail "$what: setup did not start"; continue; }
  install_into "$win_dir" || fail "$what: Install and agreement"
  answer_question "$what: shortcut question" "$SHORTCUT_QUESTION" "$BOX_YES_NO_QUESTION" "$(button "$shortcuts")" &&
    expect_eq "$what: status while asking" "$(drv text "$SETUP_TITLE" $IDC_STATUS)" "$COMPLETE_STATUS" &&
    answer_question "$what: run question" "$RUN_QUESTION" "$BOX_YES_NO" "$(button "$run")"
  expect_setup_ended "$what"
  expect_ok test -f "$dir/$PRODUCT_EXE"

  if [ "$shortcuts" = Yes ]; then
    expect_ok test -f "$(desktop_dir)/$PRODUCT_LINK"
    expect_eq "$what: group" "$(group_listing)" "$(bars "$HELP_LINK" "$UNINST_LINK" "$PRODUCT_LINK")"
    expect_eq "$what: uninstall entry" "$(dated_entry_values)" "$(expected_entry "$win_dir" "$PACKAGE")"
  else
    expect_fail test -e "$(desktop_dir)/$PRODUCT_LINK"
    expect_fail test -e "$(group_dir)"
    expect_fail entry_values
  fi

  if [ "$run" = Yes ]; then
    expect_started "$what" "$win_dir" "$dir" "$LAUNCH_ARGS"
  else
    # Looked at last: the checks above give a wrongly started product time to record itself.
    expect_fail test -e "$dir/started.log"
    expect_eq "$what: no product window" "$(drv count-windows "$PRODUCT_WINDOW")" 0
  fi
  forget_install "$dir"
done
finish

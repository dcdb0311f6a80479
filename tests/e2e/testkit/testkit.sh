# shellcheck shell=bash
# Helpers of the scenarios for the test-only profile (build/testkit): its package is not a
# direct one, so a run ends with the external variant (with "/axs:") or with the two questions
# of the asking variant. Source from a scenario script in this folder.
# shellcheck disable=SC2034  # the names are for the scenario scripts

# shellcheck source=tests/e2e/lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
# shellcheck source=tests/e2e/install_state.sh
. "$(dirname "${BASH_SOURCE[0]}")/../install_state.sh"

RUN_QUESTION="설치를 성공적으로 마쳤습니다.\\n\\n${PRODUCT_NAME}을(를) 지금 실행하겠습니까?"

# serve_package: nginx serves this build's package at http://127.0.0.1/update/, where the
# profile's host finds it.
serve_package() {
  local root=${BUILD_DIR:?}/package
  [ -f "$root/update/$PROFILE_ARCHIVE_NAME" ] || { echo "no package in $root" >&2; return 1; }
  nginx_start "$root"
}

# testkit_cleanup DIR: ends what a scenario may have left running and removes what the run
# made: DIR (Linux path), the shortcuts, the group and the uninstall entry.
testkit_cleanup() {
  setup_stop
  if [ "$(drv count-windows "$PRODUCT_WINDOW" 2>/dev/null)" != 0 ]; then
    drv close "$PRODUCT_WINDOW" >/dev/null 2>&1 && drv wait-gone "$PRODUCT_WINDOW" >/dev/null 2>&1
  fi
  nginx_stop
  forget_install "$1"
}

# answer_question WHAT TEXT KIND ANSWER: the next question over the setup has TEXT, the
# caption "설치" and KIND (lib.sh's BOX_...); it is answered with ANSWER. Fails when no
# question comes.
answer_question() {
  msgbox_of "$SETUP_TITLE" 60000 || { fail "$1: no question"; return 1; }
  expect_eq "$1: text" "$MSG_TEXT" "$2"
  expect_eq "$1: caption" "$MSG_CAPTION" "$MSG_CAPTION_TEXT"
  expect_eq "$1: buttons, default, icon" "$MSG_KIND" "$3"
  drv answer "$SETUP_TITLE" "$4" >/dev/null || fail "$1: could not answer"
}

# expect_setup_ended WHAT: the setup closed by itself, with exit code 0, its window gone.
expect_setup_ended() {
  if wait_exit "$SETUP_PID" 60; then
    expect_eq "$1: setup exit code" "$EXIT_CODE" 0
    SETUP_PID=
  else
    MSG_TEXT=
    msgbox_of "$SETUP_TITLE" 1000
    fail "$1: setup still running; message box: ${MSG_TEXT:-none}"
  fi
  expect_eq "$1: setup window gone" "$(drv count-windows "$SETUP_TITLE")" 0
}

# bars NAME...: the names sorted bytewise, each followed by "|".
bars() {
  [ $# -eq 0 ] || printf '%s|\n' "$@" | LC_ALL=C sort | tr -d '\n'
}

# listing DIR: bars of the names in DIR, dot-names included.
listing() {
  (cd "$1" 2>/dev/null || exit
    shopt -s dotglob nullglob
    bars *)
}

group_listing() { listing "$(group_dir)"; }

# The package, and its entries: what the extraction puts into the install folder.
PACKAGE=${BUILD_DIR:?}/package/update/$PROFILE_ARCHIVE_NAME
mapfile -t PACKAGE_FILES < <(unzip -Z1 "$PACKAGE")

# signed_package DIR [ZEROS_MIB [NOTE]]: this build's package with, when given, ZEROS_MIB MiB of
# zeros as zeros.bin (they deflate to almost nothing and take seconds to extract) and NOTE as
# note.txt, packed from DIR/content into DIR/package.zip (SIGNED_PACKAGE) and signed with the
# build's throwaway key into SIGNED_PACKAGE.sig.
signed_package() {
  local content=$1/content
  SIGNED_PACKAGE=$1/package.zip
  rm -rf "$1" && mkdir -p "$content" &&
    unzip -q "$PACKAGE" -d "$content" || return 1
  if [ "${2:-0}" -gt 0 ]; then truncate -s "${2}M" "$content/zeros.bin" || return 1; fi
  if [ -n "${3:-}" ]; then printf '%s\n' "$3" >"$content/note.txt" || return 1; fi
  bash "$SOURCE_DIR/scripts/make-package.sh" "$content" "$SIGNED_PACKAGE" \
    --key "$BUILD_DIR/package-key/package_key.pem" >/dev/null
}

# expect_started WHAT DIR_WIN DIR ARGS: the product was started once, from DIR_WIN (its Linux
# path DIR), with ARGS; its window is then closed.
expect_started() {
  wait_for_file "$3/started.log" 10 || { fail "$1: the product was not started"; return; }
  expect_eq "$1: product started once, in the install folder, with '$4'" \
    "$(started_lines "$3")" "$(printf 'cwd=%s\targs=%s' "${2%\\}" "$4")"
  drv wait-window "$PRODUCT_WINDOW" 10000 >/dev/null && drv close "$PRODUCT_WINDOW" >/dev/null &&
    drv wait-gone "$PRODUCT_WINDOW" >/dev/null || fail "$1: product window did not close"
}

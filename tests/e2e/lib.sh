# shellcheck shell=bash
# Helpers for end-to-end scenarios and the bench: source it from a scenario script. Needs
# UIDRIVER (path of uidriver.exe), BUILD_DIR (the build under test) and a Wine environment from
# scripts/wine-env.sh, which is sourced here too. The helpers live by concern in tests/e2e/lib/:
#   driver.sh   the UI driver, assertions, programs under Wine, message boxes, recorded texts
#   setup.sh    the setup under test: start, stop, Install, agreement, boxes, the download stage
#   servers.sh  nginx and the fault server
#   debug.sh    the setup's debug output
#   tls.sh      a test CA for HTTPS
here_lib=$(dirname "${BASH_SOURCE[0]}")

# shellcheck source=SCRIPTDIR/../../scripts/wine-env.sh
. "$here_lib/../../scripts/wine-env.sh"

# The build's profile values (PROFILE_*), the program's texts (IDLE_STATUS, FAILED_TEXT, ...)
# and the control ids (IDC_*), written by the build from the headers the program is made of.
PROFILE_VALUES_SH=${BUILD_DIR:?BUILD_DIR not set}/profile_values.sh
[ -f "$PROFILE_VALUES_SH" ] || { echo "lib.sh: no $PROFILE_VALUES_SH: build first" >&2; exit 2; }
# shellcheck source=/dev/null
. "$PROFILE_VALUES_SH"

SETUP_TITLE=$PROFILE_SETUP_TITLE
MSG_CAPTION_TEXT=$PROFILE_MSG_CAPTION
SESSION_AGENT=$PROFILE_SESSION_AGENT
TEMP_ARCHIVE_NAME=$PROFILE_TEMP_ARCHIVE_NAME

# Scratch for the servers and the scenarios, under the build folder.
E2E_STATE=$BUILD_DIR/e2e-state

. "$here_lib/lib/driver.sh"
. "$here_lib/lib/setup.sh"
. "$here_lib/lib/servers.sh"
. "$here_lib/lib/debug.sh"
. "$here_lib/lib/tls.sh"

#!/usr/bin/env bash
# Runs end-to-end scenarios by name (all when none is given) against the
# current Windows build, for a quick loop while developing:
#   scripts/run-e2e.sh startup agreement
#   SETUP_PROFILE=testkit scripts/run-e2e.sh data_folder   (the build/testkit build)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export SETUP_PROFILE=${SETUP_PROFILE:-velmora}
if [ "$SETUP_PROFILE" = velmora ]; then
  build="$root/build/windows" scenarios="$root/tests/e2e" preset=windows
else
  build="$root/build/$SETUP_PROFILE" scenarios="$root/tests/e2e/$SETUP_PROFILE" preset=windows-$SETUP_PROFILE
fi
export SETUP_EXE="$build/velmora_setup.exe" UIDRIVER="$build/uidriver.exe"
export FAULT_SERVER="$build/host/fault_server" SOURCE_DIR="$root" BUILD_DIR="$build"
[ -f "$SETUP_EXE" ] || { echo "build first: cmake --preset $preset && cmake --build --preset $preset" >&2; exit 2; }
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
xvfb_start
# One prefix for every profile, as in the test command.
wine_env_setup "$root/build/windows/wine"
trap wine_env_stop EXIT
names=("$@")
[ ${#names[@]} -gt 0 ] || names=($(cd "$scenarios" && ls *_test.sh | sed 's/_test\.sh$//'))
status=0
for name in "${names[@]}"; do
  echo "== $name"
  bash "$scenarios/${name}_test.sh" || status=1
done
exit $status

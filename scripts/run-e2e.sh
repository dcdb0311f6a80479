#!/usr/bin/env bash
# Runs end-to-end scenarios by name (all when none is given) against the
# current Windows build, for a quick loop while developing:
#   scripts/run-e2e.sh startup agreement
#   SETUP_PROFILE=testkit scripts/run-e2e.sh data_folder   (the build/testkit build)
# The build is the one the test command would run here: build/windows where this host runs
# 32-bit code, else the 64-bit build (build/windows-x64, build/testkit-x64).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export SETUP_PROFILE=${SETUP_PROFILE:-velmora}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
wine_choose_build
echo "$WINE_BUILD_LINE"
if [ "$SETUP_PROFILE" = velmora ]; then
  scenarios="$root/tests/e2e" preset=$WINDOWS_PRESET build=$root/$WINDOWS_BUILD
else  # the test-only profile, the only other one with scenarios
  scenarios="$root/tests/e2e/$SETUP_PROFILE" preset=$TESTKIT_PRESET build=$root/$TESTKIT_BUILD
fi
export SETUP_EXE="$build/velmora_setup.exe" UIDRIVER="$build/uidriver.exe"
export RESUMING_SETUP_EXE="$build/velmora_setup_resuming.exe"
export FAULT_SERVER="$build/host/fault_server" SOURCE_DIR="$root" BUILD_DIR="$build"
export OFFLINE_SENSAPI="$build/offline/sensapi.dll" PLANTED_DLL="$build/planted/planted_dll.dll"
[ -f "$SETUP_EXE" ] || { echo "build first: cmake --preset $preset && cmake --build --preset $preset" >&2; exit 2; }
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

#!/usr/bin/env bash
# Runs end-to-end scenarios by name (all when none is given) against the
# current Windows build, for a quick loop while developing:
#   scripts/run-e2e.sh startup agreement
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/windows"
export SETUP_EXE="$build/velmora_setup.exe" UIDRIVER="$build/uidriver.exe"
export FAULT_SERVER="$build/host/fault_server" SOURCE_DIR="$root" BUILD_DIR="$build"
[ -f "$SETUP_EXE" ] || { echo "build first: cmake --preset windows && cmake --build --preset windows" >&2; exit 2; }
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
xvfb_start
wine_env_setup "$build/wine"
trap wine_env_stop EXIT
names=("$@")
[ ${#names[@]} -gt 0 ] || names=($(cd "$root/tests/e2e" && ls *_test.sh | sed 's/_test\.sh$//'))
status=0
for name in "${names[@]}"; do
  echo "== $name"
  bash "$root/tests/e2e/${name}_test.sh" || status=1
done
exit $status

#!/usr/bin/env bash
# Runs every test: the portable core natively (with sanitizers), short
# libFuzzer runs over the core, then the Windows build under Wine: Windows-side
# tests and end-to-end scenarios that drive the real velmora_setup.exe on a
# virtual display; last, the setup built with the test-only profile and its
# own scenarios (data folder, asking and external completion), in the same
# Wine prefix.
#
# The Wine tiers run the shipped 32-bit build where this host runs 32-bit code,
# and otherwise a 64-bit build of the same sources (SETUP_FORCE_X64=1 forces
# that). The shipped 32-bit program is built and its file checked on every host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
wine_choose_build
echo "$WINE_BUILD_LINE"
trap 'status=$?; wine_env_stop; echo "$WINE_BUILD_LINE"; exit $status' EXIT

echo "== native: portable core =="
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== fuzz: short runs of the core's fuzz targets =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

for preset in windows windows-x64 "$TESTKIT_PRESET"; do
  echo "== $preset: build =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

echo "== windows: the shipped 32-bit program's file (header, imports, resources) =="
ctest --test-dir build/windows/tests/build --output-on-failure

echo "== $WINDOWS_PRESET: tests under Wine =="
xvfb_start   # first: Wine's desktop process keeps the display it saw at start
wine_env_setup "$root/build/windows/wine"
ctest --preset "$WINDOWS_PRESET"

echo "== $TESTKIT_PRESET: tests under Wine =="
ctest --preset "$TESTKIT_PRESET"

if [ "$WINDOWS_PRESET" != windows-x64 ]; then
  echo "== windows-x64: the Windows-side tests of the 64-bit build =="
  ctest --preset windows-x64 -L win
fi

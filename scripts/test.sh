#!/usr/bin/env bash
# Runs every test: the portable core natively (with sanitizers), short
# libFuzzer runs over the core, then the Windows build under Wine: Windows-side
# tests and end-to-end scenarios that drive the real velmora_setup.exe on a
# virtual display; last, the setup built with the test-only profile and its
# own scenarios (data folder, asking and external completion), in the same
# Wine prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

echo "== native: portable core =="
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== fuzz: short runs of the core's fuzz targets =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

echo "== windows: build =="
cmake --preset windows >/dev/null
cmake --build --preset windows

echo "== testkit profile: build =="
cmake --preset windows-testkit >/dev/null
cmake --build --preset windows-testkit

echo "== windows: tests under Wine =="
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
xvfb_start   # first: Wine's desktop process keeps the display it saw at start
wine_env_setup "$root/build/windows/wine"
trap wine_env_stop EXIT
ctest --preset windows

echo "== testkit profile: tests under Wine =="
ctest --preset windows-testkit

#!/usr/bin/env bash
# The package key is chosen when the build is configured (cmake/package_key.cmake). A key copied
# into the profile after that, rewritten or removed, must make the next build configure again,
# or the program would be built without the key and check nothing. A scratch project includes
# the module over a scratch profile folder; each row changes the folder and builds.
#
#   package_key_test.sh [GENERATOR]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
generator=${1:-Unix Makefiles}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
pass() { echo "pass: $1"; }
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }

mkdir -p "$work/project" "$work/profile"
cat >"$work/project/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(package_key_check NONE)
set(PROFILE_DIR "$work/profile")
include("$root/cmake/package_key.cmake")
message(STATUS "package key present: \${PACKAGE_KEY_PRESENT}")
CMAKE
for pair in a b; do
  bash "$root/scripts/make-package-key.sh" "$work/keys-$pair" >/dev/null || { echo "FAIL: no key pair"; exit 1; }
done
cmake -G "$generator" -S "$work/project" -B "$work/build" >"$work/configure.txt" 2>&1 ||
  { cat "$work/configure.txt"; echo "FAIL: configure"; exit 1; }

# Each row: what changes in the profile folder, then what the next build must say. "" : it
# does not configure again.
rows=(
  "nothing|:|"
  "a key copied in|cp $work/keys-a/package_key.pub $work/profile/|Packages must be signed"
  "the key rewritten with another|cp $work/keys-b/package_key.pub $work/profile/|Packages must be signed"
  "the key removed|rm $work/profile/package_key.pub|package key present: 0"
)
for row in "${rows[@]}"; do
  IFS='|' read -r what change expected <<<"$row"
  sleep 1  # a time stamp of its own for the change, whatever the file system's resolution
  eval "$change"
  cmake --build "$work/build" >"$work/build.txt" 2>&1 || { fail "$what: the build failed"; cat "$work/build.txt"; continue; }
  said=$(grep -o -e 'Packages must be signed' -e 'package key present: [01]' "$work/build.txt" | head -n 1)
  if [ "$said" = "$expected" ]; then pass "$what: '${said:-no new configure}'"; else
    fail "$what: expected '${expected:-no new configure}', the build said '${said:-nothing}'"
  fi
done
[ "$failures" -eq 0 ]

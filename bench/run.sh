#!/usr/bin/env bash
# The benchmark: velmora_setup.exe under Wine against the tools a user would compare it with,
# on this machine, each figure measured in the same run as its comparison. Prints a table;
# bench/RESULTS.md keeps one with the machine it ran on.
#
#   flock /tmp/velmora-port80.lock bash bench/run.sh [--size smoke|small|full] [--runs N] [--no-build]
#                                                   [--build DIR] [--setup EXE]
#
#   smoke  2 MiB, one run of each (seconds; the test suite runs it)
#   small  100 MiB, 5 runs of each, growth 10 and 100 MiB (the default)
#   full   as small, and growth up to 400 MiB
#   --runs N     N runs at 100 MiB instead of 5
#   --no-build   use the build as it is
#   --build DIR  the build folder to measure: build/windows (the shipped 32-bit build) or
#                build/windows-x64; by default the one this host runs (32-bit where it can)
#   --setup EXE  time another build of the setup (its name needs a "_" before the ".exe")
#
# nginx serves the packages on 127.0.0.1:80 and :443 (with a CA made for the run and trusted only
# in the prefix, taken out again at the end), so hold the port-80 lock. Scratch space, the
# generated packages included, is <build>/bench (about 2 GB for --size full).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=$root/bench
# shellcheck source=scripts/wine-env.sh
. "$root/scripts/wine-env.sh"
wine_choose_build

size=small build_first=1 setup_exe='' runs='' build=$root/$WINDOWS_BUILD
usage() { sed -n '6,17p' "$0" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=${2:-}; shift 2 || usage ;;
    --runs) runs=${2:-}; shift 2 || usage ;;
    --no-build) build_first=0; shift ;;
    --build) build=$(cd "${2:-}" 2>/dev/null && pwd) || usage; shift 2 ;;
    --setup) setup_exe=${2:-}; shift 2 || usage ;;
    *) usage ;;
  esac
done
# The build's bitness picks the Wine loader; its name says which preset made it.
case $(basename "$build") in
  windows) preset=windows SETUP_WINE_BITS=32 ;;
  windows-x64) preset=windows-x64 SETUP_WINE_BITS=64 ;;
  *) echo "bench: --build must be build/windows or build/windows-x64" >&2; exit 2 ;;
esac
export SETUP_WINE_BITS BENCH_BUILD_NAME="$SETUP_WINE_BITS-bit build ($(basename "$build"))"
case $size in
  smoke) MAIN=2 RUNS=1 GROWTH="1 2" ;;
  small) MAIN=100 RUNS=5 GROWTH="10 100" ;;
  full) MAIN=100 RUNS=5 GROWTH="10 100 400" ;;
  *) usage ;;
esac
if [ -n "$runs" ]; then [[ $runs =~ ^[1-9][0-9]*$ ]] && RUNS=$runs || usage; fi

if [ "$build_first" = 1 ]; then
  (cd "$root" && cmake --preset "$preset" >/dev/null &&
    cmake --build --preset "$preset" --target velmora_setup uidriver sample_package bench_tools) >&2 ||
    { echo "bench: build failed" >&2; exit 1; }
fi
export SETUP_EXE=${setup_exe:-$build/velmora_setup.exe} UIDRIVER=$build/uidriver.exe
export SOURCE_DIR=$root BUILD_DIR=$build
COUNTING_EXE=$build/velmora_setup_counting.exe
MAKE_PACKAGE=$build/host/bench_make_package
HASH_EXE=$build/bench_sha256.exe
KEYED_EXE=$build/velmora_setup_keyed.exe
for f in "$SETUP_EXE" "$UIDRIVER" "$COUNTING_EXE" "$MAKE_PACKAGE" "$HASH_EXE" "$KEYED_EXE" "$build/velmora_setup.map"; do
  [ -f "$f" ] || { echo "bench: $f missing; build without --no-build" >&2; exit 1; }
done

# shellcheck source=tests/e2e/lib.sh
. "$root/tests/e2e/lib.sh"
# shellcheck source=tests/e2e/install_state.sh
. "$root/tests/e2e/install_state.sh"
# shellcheck source=bench/measure.sh
. "$bench/measure.sh"
# shellcheck source=bench/report.sh
. "$bench/report.sh"

state=$build/bench
www=$state/www
results=$state/results.txt
mkdir -p "$state/data" "$www/update"
: >"$results"
rm -rf "$state/watch"

# A caller that prepared Wine (the test suite) keeps its environment; else it is ours.
own_wine=0
if [ -z "${WINEPREFIX:-}" ]; then
  own_wine=1
  xvfb_start && wine_env_setup "$root/build/windows/wine" || { echo "bench: no Wine environment" >&2; exit 1; }
fi
cleanup() {
  setup_stop
  drv close "$PRODUCT_WINDOW" 2000 >/dev/null 2>&1 || true
  [ -n "${WATCH_PID:-}" ] && kill "$WATCH_PID" 2>/dev/null
  [ -n "${INSTALL_DIR:-}" ] && forget_install "$INSTALL_DIR"
  rm -rf "$state/native" "$state/curl.bin" "$www/update/velmora_direct.zip" "$www/update/velmora_direct.zip.sig" "$state/quiet.log"
  PACKAGE_SERVER_STATE=$state/nginx bash "$root/scripts/package-server.sh" stop >/dev/null 2>&1
  tls_untrust >/dev/null 2>&1
  [ "$own_wine" = 1 ] && wine_env_stop
}
trap cleanup EXIT
bench_places
find_temp_archive || { echo "bench: no temporary folder in the prefix" >&2; exit 1; }
# T: a CA made for this run, trusted in the prefix alone until the run ends (cleanup).
tls_ca_make "$state/tls" && tls_trust || { echo "bench: cannot make or trust the test CA" >&2; exit 1; }
PACKAGE_SERVER_TLS=$TLS_DIR PACKAGE_SERVER_STATE=$state/nginx \
  bash "$root/scripts/package-server.sh" start "$www" >/dev/null ||
  { echo "bench: nginx did not start (are ports 80 and 443 free? hold the lock)" >&2; exit 1; }

started_at=$(date -u '+%Y-%m-%d %H:%M UTC')
step() { echo "bench: $*" >&2; }

# 2 and 5: the download stage against curl, one setup kept open for all runs.
step "download: the setup against curl"
setup_start || { echo "bench: the setup did not start" >&2; exit 1; }
for mib in $GROWTH; do
  download_runs "$mib" "$(runs_for "$mib")" || { echo "bench: download run failed" >&2; exit 1; }
done
setup_stop

# T: the same body over https and over plain HTTP from the same nginx, and curl over https.
step "https: the setup over https against plain HTTP, and curl over https"
tls_runs "$MAIN" "$RUNS" || { echo "bench: https run failed" >&2; exit 1; }

# 3, 4 and 5: whole installs of the generated package against curl + unzip.
step "whole install and extraction: the setup against curl + unzip"
for mib in $GROWTH; do
  install_runs "$mib" "$(runs_for "$mib")" || { echo "bench: install run failed" >&2; exit 1; }
done

# Q: quiet installs, timed from their logs, against curl + unzip.
step "quiet: /quiet installs against curl + unzip"
quiet_runs "$MAIN" "$RUNS" || { echo "bench: quiet run failed" >&2; exit 1; }

# 6: the writes of a download-only run and of a whole install, counted by the counting build.
step "control writes: the counting build"
count_writes "$MAIN" || { echo "bench: counting run failed" >&2; exit 1; }

# What the 4096-byte download blocks and the per-block percentage write cost.
step "costs: the counting build with its switches"
cost_runs "$MAIN" "$((RUNS < 3 ? RUNS : 3))" || { echo "bench: cost run failed" >&2; exit 1; }

# H: the package signature check's hashing against sha256sum.
step "hashing: the setup's SHA-256 against sha256sum"
hash_runs "$MAIN" "$RUNS" || { echo "bench: hash run failed" >&2; exit 1; }

# K: a keyed install against an unkeyed one of the same package.
step "keyed: a keyed install against an unkeyed one"
keyed_runs "$MAIN" "$RUNS" || { echo "bench: keyed run failed" >&2; exit 1; }

report

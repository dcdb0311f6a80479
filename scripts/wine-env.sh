# shellcheck shell=bash
# Private Wine prefix and headless X display for the demo and the tests.
# Source it, then: wine_choose_build; xvfb_start; wine_env_setup DIR; ...; wine_env_stop (e.g.
# in an EXIT trap). Every function is quiet, safe to call twice and under set -eu, and returns
# non-zero only when it could not do its job.

WINE_ENV_DLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
WINE_RUN="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-run.sh"

# wine_run PROGRAM ARGS...: PROGRAM under Wine with the loader of the build under test
# (SETUP_WINE_BITS); see scripts/wine-run.sh. To start one in the background, start "$WINE_RUN"
# itself: then $! is Wine's own process (the script execs it), which a kill reaches.
wine_run() {
  "$WINE_RUN" "$@"
}

# wine_host_runs_32bit: true when this host can run 32-bit code under Wine. Some kernels have
# their 32-bit emulation switched off; there Debian's 32-bit loader itself fails to start
# ("Exec format error"), and so would every 32-bit Windows program.
wine_host_runs_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version </dev/null >/dev/null 2>&1
}

# wine_choose_build: decides once which Windows build the Wine tiers run, and says so in
# WINE_BUILD_LINE. Sets SETUP_WINE_BITS (exported: every later Wine start follows it), and the
# presets and build folders (relative to the source tree) of the Velmora and the test-only
# profile's builds: WINDOWS_PRESET, WINDOWS_BUILD, TESTKIT_PRESET, TESTKIT_BUILD. The shipped 32-bit build where the host runs 32-bit code;
# else, or with SETUP_FORCE_X64=1, the 64-bit build of the same sources.
wine_choose_build() {
  if [ "${SETUP_FORCE_X64:-0}" = 1 ]; then
    SETUP_WINE_BITS=64 WINE_BUILD_WHY="SETUP_FORCE_X64=1"
  elif wine_host_runs_32bit; then
    SETUP_WINE_BITS=32 WINE_BUILD_WHY="this host runs 32-bit code"
  else
    SETUP_WINE_BITS=64 WINE_BUILD_WHY="this host cannot run 32-bit code"
  fi
  export SETUP_WINE_BITS
  if [ "$SETUP_WINE_BITS" = 64 ]; then
    WINDOWS_PRESET=windows-x64 WINDOWS_BUILD=build/windows-x64
    TESTKIT_PRESET=windows-x64-testkit TESTKIT_BUILD=build/testkit-x64
  else
    WINDOWS_PRESET=windows WINDOWS_BUILD=build/windows
    TESTKIT_PRESET=windows-testkit TESTKIT_BUILD=build/testkit
  fi
  WINE_BUILD_LINE="Windows tests: $SETUP_WINE_BITS-bit build ($WINE_BUILD_WHY)"
}

# Runs a Wine tool detached from our stdio: Wine's services inherit it and would keep a
# caller's pipe (ctest's, a $(...) capture) open for as long as they live.
_wine_quiet() {
  "$@" </dev/null >/dev/null 2>&1
}

# Replaces links into the (scratch) home by real folders, so the program's shortcuts stay
# inside the prefix where tests look for them.
_wine_env_real_dirs() {
  local user dir
  for user in "$WINEPREFIX"/drive_c/users/*/; do
    [ "$(basename "$user")" = Public ] && continue
    for dir in Desktop Documents Downloads Music Pictures Videos Templates \
      "AppData/Roaming/Microsoft/Windows/Start Menu/Programs"; do
      if [ -L "$user$dir" ]; then rm -f "$user$dir" || return 1; fi
      mkdir -p "$user$dir" || return 1
    done
  done
}

_wine_env_init_prefix() {
  _wine_quiet wine_run wineboot.exe -i || return 1
  _wine_quiet wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || return 1
  _wine_env_real_dirs || return 1
  # The server started by wineboot is not persistent; let it end so the warm-up starts one.
  _wine_quiet wineserver -w || true
  touch "$WINEPREFIX/.wine-env-ready"
}

# The dialogs' font, 돋움, is not in the prefix. Under the Korean code page Wine falls back to a
# font with Hangul; under any other (the code page scenario runs the setup under 1252) to one
# without, and every Korean text shows as boxes. NanumGothic (fonts-nanum), the font the Korean
# code page falls back to anyway, stands in for it. Once per prefix.
_wine_env_korean_font() {
  [ -f "$WINEPREFIX/.wine-env-font" ] && return 0
  _wine_quiet wine_run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '돋움' /d NanumGothic /f || return 1
  touch "$WINEPREFIX/.wine-env-font"
}

# wine_env_setup DIR: prefix in DIR/prefix (created once, reused after), scratch HOME in DIR/home,
# Korean locale, the dialogs' font, a persistent wineserver already running.
wine_env_setup() {
  local dir=${1:?wine_env_setup: DIR missing}
  mkdir -p "$dir/home" || return 1
  dir=$(cd "$dir" && pwd) || return 1
  export WINEPREFIX="$dir/prefix" WINEARCH=${WINEARCH:-win64} WINEDEBUG=-all
  export WINEDLLOVERRIDES="$WINE_ENV_DLLOVERRIDES" LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8
  export HOME="$dir/home"
  if [ ! -f "$WINEPREFIX/.wine-env-ready" ]; then
    _wine_env_init_prefix || { echo "wine_env_setup: cannot create $WINEPREFIX" >&2; return 1; }
  fi
  _wine_quiet wineserver -p || true  # fails harmlessly when a server already runs for the prefix
  _wine_quiet wine_run cmd /c exit
  _wine_env_korean_font || { echo "wine_env_setup: cannot set the dialogs' font" >&2; return 1; }
}

_xvfb_usable() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null 2>&1; then
    xdpyinfo >/dev/null 2>&1
  else
    local n=${DISPLAY#:}
    [ -S "/tmp/.X11-unix/X${n%%.*}" ]
  fi
}

# wait_ready PID TRIES PAUSE TEST...: runs TEST every PAUSE seconds, at most TRIES times, while
# the process PID that should make it true lives; succeeds as soon as TEST does.
wait_ready() {
  local pid=$1 tries=$2 pause=$3 _
  shift 3
  for _ in $(seq "$tries"); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep "$pause"
  done
  return 1
}

# xvfb_start: keeps a usable DISPLAY, else starts Xvfb on a free display in :91..:120.
xvfb_start() {
  if [ -n "${XVFB_PID:-}" ] && kill -0 "$XVFB_PID" 2>/dev/null; then return 0; fi
  _xvfb_usable && return 0
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    if wait_ready "$XVFB_PID" 50 0.1 test -S "/tmp/.X11-unix/X$n"; then
      export DISPLAY=":$n"
      return 0
    fi
    xvfb_stop  # it may have lost a race for this number: try the next
  done
  echo "xvfb_start: no free display" >&2
  return 1
}

# xvfb_stop: stops the Xvfb that xvfb_start started, if any.
xvfb_stop() {
  [ -n "${XVFB_PID:-}" ] || return 0
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
  unset XVFB_PID DISPLAY
  return 0
}

# wine_env_stop: ends every Wine process of this prefix, and our Xvfb.
wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    _wine_quiet wineserver -k || true
    _wine_quiet wineserver -w || true
  fi
  xvfb_stop
}

# screenshot FILE: the whole screen of $DISPLAY.
screenshot() {
  import -window root "${1:?screenshot: FILE missing}" 2>/dev/null
}

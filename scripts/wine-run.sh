#!/usr/bin/env bash
# The one way our scripts and ctest start Wine: a Windows program, or one of Wine's own tools
# (reg, cmd, wineboot.exe), with the loader that fits the build under test.
#
#   scripts/wine-run.sh [--bits 32|64] PROGRAM ARGS...
#
# --bits (else SETUP_WINE_BITS, else 32): 32 starts Debian's `wine`, which needs a host that
# runs 32-bit code; 64 starts the 64-bit loader directly, with WINELOADER set so the programs
# it starts (the setup starting the product, say) get that loader too.
set -e
bits=${SETUP_WINE_BITS:-32}
if [ "${1:-}" = --bits ]; then
  bits=$2
  shift 2
fi
case $bits in
  32) exec wine "$@" ;;
  64)
    export WINELOADER=/usr/lib/wine/wine64
    exec /usr/lib/wine/wine64 "$@"
    ;;
  *)
    echo "wine-run: --bits must be 32 or 64, not '$bits'" >&2
    exit 2
    ;;
esac

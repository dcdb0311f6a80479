# shellcheck shell=bash
# The setup's debug output: the one line it writes for each failed stage. Part of
# tests/e2e/lib.sh.

# setup_start_traced ARGS...: setup_start with the setup's debug output written down: Wine puts
# every OutputDebugStringA line (WINEDEBUG=+debugstr) into PROGRAM_LOG, which is emptied first
# ($E2E_STATE/setup-debug.log unless set). failure_lines reads it.
setup_start_traced() {
  PROGRAM_LOG=${PROGRAM_LOG:-$E2E_STATE/setup-debug.log}
  mkdir -p "$(dirname "$PROGRAM_LOG")" && : >"$PROGRAM_LOG"
  WINEDEBUG=-all,+debugstr setup_start "$@"
}

# failure_lines: the stage failures the traced setup wrote so far, one a line without the
# program's name, e.g. "download failed: send (WinInet 12045)".
failure_lines() {
  sed -n 's/.*OutputDebugStringA "velmora_setup: \(.*\)\\n"$/\1/p' "${PROGRAM_LOG:?}" | tr -d '\r'
}

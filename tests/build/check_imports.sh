#!/usr/bin/env bash
# The setup must run on a bare Windows: it may import only the system's own
# DLLs, never a runtime or zlib DLL that a user would not have. And only known
# DLLs, which Windows maps from the system folder whatever lies beside the
# program: anything else (WinInet too) is loaded at run time from the system
# folder (fw/system_library.h).
set -euo pipefail
# BITS (32 unless told) is the build's: the shipped program is a 32-bit i386 image.
exe=${1:?usage: check_imports.sh EXE [32|64]}
case ${2:-32} in
  32) format=pei-i386 ;;
  64) format=pei-x86-64 ;;
  *) echo "usage: check_imports.sh EXE [32|64]"; exit 2 ;;
esac
allowed='^(KERNEL32|USER32|GDI32|SHELL32|OLE32|ADVAPI32|MSVCRT)\.DLL$'
mapfile -t dlls < <(objdump -p "$exe" | awk '/DLL Name:/ {print toupper($3)}')
[ ${#dlls[@]} -gt 0 ] || { echo "no import table found in $exe"; exit 1; }
bad=0
for dll in "${dlls[@]}"; do
  if [[ "$dll" =~ $allowed ]]; then echo "ok   $dll"; else echo "BAD  $dll"; bad=1; fi
done
machine=$(objdump -f "$exe" | awk '/file format/ {print $NF}')
subsystem=$(objdump -p "$exe" | awk '/^Subsystem/ {print $2}')
echo "format $machine, subsystem $subsystem"
[ "$machine" = "$format" ] || { echo "not a $format image"; bad=1; }
[ "$subsystem" = "00000002" ] || { echo "not a GUI program"; bad=1; }
exit $bad

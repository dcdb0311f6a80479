#!/usr/bin/env bash
# The setup must run on a bare Windows: it may import only the system's own
# DLLs, never a runtime or zlib DLL that a user would not have.
set -euo pipefail
exe=${1:?usage: check_imports.sh EXE}
allowed='^(KERNEL32|USER32|GDI32|SHELL32|OLE32|ADVAPI32|WININET|MSVCRT|COMCTL32)\.DLL$'
mapfile -t dlls < <(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print toupper($3)}')
[ ${#dlls[@]} -gt 0 ] || { echo "no import table found in $exe"; exit 1; }
bad=0
for dll in "${dlls[@]}"; do
  if [[ "$dll" =~ $allowed ]]; then echo "ok   $dll"; else echo "BAD  $dll"; bad=1; fi
done
machine=$(i686-w64-mingw32-objdump -f "$exe" | awk '/file format/ {print $NF}')
subsystem=$(i686-w64-mingw32-objdump -p "$exe" | awk '/^Subsystem/ {print $2}')
echo "format $machine, subsystem $subsystem"
[ "$machine" = "pei-i386" ] || { echo "not a 32-bit i386 image"; bad=1; }
[ "$subsystem" = "00000002" ] || { echo "not a GUI program"; bad=1; }
exit $bad

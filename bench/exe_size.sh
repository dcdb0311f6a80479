#!/usr/bin/env bash
# The size of velmora_setup.exe: code and data (the file without its .rsrc section) against the
# resources, which resources and which linked objects weigh most.
#   bench/exe_size.sh EXE MAP     prints "key value" lines for bench/run.sh:
#     file B / rsrc B / code_data B        sizes on disk
#     signature B                          an Authenticode signature's bytes (0 unsigned)
#     section NAME B                       objdump -h sizes of the other sections
#     resource B WHAT                      .rsrc by resource type
#     lib B WHAT / object B WHAT           loaded sections (.bss excluded) by library / object
set -euo pipefail
exe=${1:?EXE}
map=${2:?MAP}
objdump=${OBJDUMP:-objdump}  # the host's reads both i386 and x86-64 images

# mawk has no strtonum: hex("0x1a,") is 26 (what follows the digits is ignored).
HEX='function hex(s,   i, d, v) { sub(/^0x/, "", s); s = tolower(s); v = 0
  for (i = 1; i <= length(s) && (d = index("0123456789abcdef", substr(s, i, 1))) > 0; i++) v = v * 16 + d - 1
  return v }'

file=$(stat -c %s "$exe")
# Raw size on disk of .rsrc: from the section header (size, file offset, alignment).
rsrc=$("$objdump" -h "$exe" | awk "$HEX"' $2 == ".rsrc" { print hex($3) }')
rsrc_raw=$(((rsrc + 511) / 512 * 512))
# A signed build carries its signature at the end of the file: no code, no data.
signature=$("$objdump" -p "$exe" | awk "$HEX"' $1 == "Entry" && $2 == "4" { print hex($4) }')
signature=${signature:-0}
echo "file $file"
echo "rsrc $rsrc_raw"
echo "signature $signature"
echo "code_data $((file - rsrc_raw - signature))"
"$objdump" -h "$exe" | awk "$HEX"' $1 ~ /^[0-9]+$/ && $2 != ".rsrc" { print "section", hex($3), $2 }'

# Resource types from the resource directory listing of objdump -p.
"$objdump" -p "$exe" | awk "$HEX"'
  BEGIN {
    n[1] = "cursor"; n[2] = "bitmap (banner)"; n[3] = "icon images"; n[5] = "dialog templates"
    n[6] = "strings"; n[14] = "icon group"; n[16] = "version record"; n[24] = "manifest"
  }
  /Resource Directory section/ { on = 1; next }
  !on { next }
  /^[0-9a-f]+   Entry:/ {           # a type: the first level of the tree
    if ($0 ~ /name:/) { t = $0; sub(/.*\]: /, "", t); sub(/,.*/, "", t); type = t " (agreement)" }
    else { id = hex($4); type = (id in n) ? n[id] : "type " id }
  }
  /Leaf:/ { size[type] += hex($6) }
  END { for (t in size) print "resource", size[t], t }
' | sort -k2,2nr

# Input sections of the link map, by library and by object: what the code and data are made of.
awk "$HEX"'
  function owner(file,   lib) {
    if (file ~ /libsetup_(glue|core)\.a|velmora_setup\.dir/) lib = "our code"
    else if (file ~ /\.ltrans[0-9]*\.ltrans\.o$/) lib = "our code and minizip, link-time optimised"
    else if (file ~ /libminizip\.a/) lib = "minizip"
    else if (file ~ /libz\.a|libzlib_inflate\.a/) lib = "zlib"
    else if (file ~ /libstdc\+\+/) lib = "libstdc++"
    else if (file ~ /libgcc/) lib = "libgcc"
    else if (file ~ /winpthread|libpthread/) lib = "winpthreads"
    else if (file ~ /crt2\.o|crtbegin|crtend|libmingw32|libmingwex|libmsvcrt/) lib = "mingw C runtime"
    else if (file ~ /dll stuff|lib(kernel32|user32|gdi32|shell32|ole32|advapi32|wininet|uuid|oleaut32|comdlg32|winspool)\.a/) lib = "import tables"
    else lib = "other"
    return lib
  }
  function add(section, size, file,   obj) {
    if (section == ".bss" || size == 0 || !keep) return
    obj = file; sub(/.*\//, "", obj)
    libs[owner(file)] += size
    objs[obj] += size
  }
  /^\.[A-Za-z_]+/ { split($0, f, /[ \t]+/); keep = f[1] ~ /^\.(text|data|rdata|eh_frame|idata|CRT|tls|bss|reloc)$/; out = f[1]; next }
  /^ [.A-Za-z_*][^ ]*$/ { pending = $1; next }
  # The file is the rest of the line: it may hold blanks ("dll stuff").
  pending != "" && /^ +0x[0-9a-f]+ +0x[0-9a-f]+ / { add(out, hex($2), rest($0, 2)); pending = ""; next }
  /^ [.A-Za-z][^ ]* +0x[0-9a-f]+ +0x[0-9a-f]+ / { add(out, hex($3), rest($0, 3)) }
  { pending = "" }
  function rest(line, n) { while (n-- > 0) sub(/^ *[^ ]+ +/, "", line); return line }
  END {
    for (l in libs) print "lib", libs[l], l
    for (o in objs) print "object", objs[o], o
  }
' "$map" | sort -k1,1 -k2,2nr

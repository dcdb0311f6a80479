#!/usr/bin/env bash
# The agreement text is kept as UTF-8 with LF line ends; the program shows
# CP949 with CR LF line ends.
set -euo pipefail
iconv -f UTF-8 -t CP949 "$1" | sed 's/$/\r/' >"$2.tmp"
mv "$2.tmp" "$2"

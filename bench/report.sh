# shellcheck shell=bash
# The table of bench/run.sh, from the lines in $results (see measure.sh) and the size split of
# bench/exe_size.sh. Sourced; call report.

median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) { print "nan"; exit }
    print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# field KIND MIB N: field N of the KIND lines for MIB MiB, one a line.
field() { awk -v k="$1" -v m="$2" -v n="$3" '$1 == k && $2 == m { print $n }' "$results"; }
med() { field "$@" | median; }
# answers KIND N: "median / max" over all KIND runs of field N, the longest answer of a run.
answers() {
  printf '%s / %s ms' "$(awk -v k="$1" -v n="$2" '$1 == k { print $n }' "$results" | median)" \
    "$(awk -v k="$1" -v n="$2" '$1 == k && $n > v { v = $n } END { printf "%.1f", v }' "$results")"
}
count() { awk -v k="$1" -v m="$2" '$1 == k && $2 == m { n++ } END { print n + 0 }' "$results"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
per_mib() { awk -v s="$1" -v m="$2" 'BEGIN { printf "%.1f ms/MiB", s * 1000 / m }'; }
kib() { awk -v b="$1" 'BEGIN { printf "%.1f KiB", b / 1024 }'; }
row() { printf '%-2s %-44s %-18s %-22s %6s  %s\n' "$@"; }

machine() {
  local cpu ram
  cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
  ram=$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
  echo "$cpu, nproc $(nproc), $ram RAM; $(uname -sr); $(wine_run --version 2>/dev/null </dev/null)"
}

# writes KIND STAGE: "status N, percent N" of the counting build's KIND run.
writes() {
  awk -v k="$1" -v s="$2" '$1 == "writes" && $2 == k && $3 == s { printf "status %d, percent %d", $4, $5 }' "$results"
}

report_size() {
  local sizes code rsrc signature
  sizes=$(bash "$bench/exe_size.sh" "$build/velmora_setup.exe" "$build/velmora_setup.map") || return 1
  code=$(awk '$1 == "code_data" { print $2 }' <<<"$sizes")
  rsrc=$(awk '$1 == "rsrc" { print $2 }' <<<"$sizes")
  signature=$(awk '$1 == "signature" { print $2 }' <<<"$sizes")
  row 1 "exe code + data (file without .rsrc)" "$(kib "$code")" "target 96.0 KiB" "$(ratio "$code" 98304)" "<= 1"
  echo "   whole file $(kib "$(awk '$1 == "file" { print $2 }' <<<"$sizes")")$([ "$signature" -gt 0 ] &&
    echo ", Authenticode signature $(kib "$signature")"), resources (.rsrc) $(kib "$rsrc"):"
  awk '$1 == "resource" { s = $2; $1 = $2 = ""; sub(/^ +/, ""); printf "%s%s %.1f KiB", n++ ? ", " : "     ", $0, s / 1024 }
       END { print "" }' <<<"$sizes"
  echo "   code + data by origin (sections as linked, .bss left out):"
  awk '$1 == "lib" { s = $2; $1 = $2 = ""; sub(/^ +/, ""); printf "%s%s %.1f KiB", n++ ? ", " : "     ", $0, s / 1024 }
       END { print "" }' <<<"$sizes"
  echo "   largest objects:"
  awk '$1 == "object" && n < 6 { s = $2; $1 = $2 = ""; sub(/^ +/, ""); printf "%s%s %.1f KiB", n++ ? ", " : "     ", $0, s / 1024 }
       END { print "" }' <<<"$sizes"
  echo "   sections: $(awk '$1 == "section" { printf "%s%s %d", n++ ? ", " : "", $3, $2 }' <<<"$sizes") bytes"
}

report() {
  local files mib dl_s curl_s ex_s unzip_s whole_s native_s hash_s sum_s https_s http_s
  files=$(sed -n 's/^\([0-9]*\) files.*archive \([0-9]*\) bytes$/\1 files, archive \2 bytes/p' \
    "$state/data/package-${MAIN}MiB.zip.txt" 2>/dev/null)
  echo
  echo "Velmora setup benchmark: bash bench/run.sh --size $size${setup_exe:+ --setup $setup_exe}"
  echo "date: $started_at"
  echo "machine: $(machine)"
  echo "build: $BENCH_BUILD_NAME; host: $(wine_host_runs_32bit && echo runs || echo 'cannot run') 32-bit code"
  echo "package of 3 and 4: $MAIN MiB in $files; the benchmark took $SECONDS s"
  echo
  row "" "measure" "setup" "comparison" "ratio" "target"
  report_size
  dl_s=$(med download "$MAIN" 3) curl_s=$(med download "$MAIN" 4)
  row 2 "download $MAIN MiB, median of $(count download "$MAIN")" "$dl_s s" "curl $curl_s s" "$(ratio "$dl_s" "$curl_s")" "<= 1.25"
  ex_s=$(med install "$MAIN" 6) unzip_s=$(med install "$MAIN" 7)
  row 3 "extraction $MAIN MiB, median of $(count install "$MAIN")" "$ex_s s" "unzip $unzip_s s" "$(ratio "$ex_s" "$unzip_s")" "<= 1.25"
  whole_s=$(med install "$MAIN" 3) native_s=$(med install "$MAIN" 4)
  row 4 "whole install, median of $(count install "$MAIN")" "$whole_s s" "curl+unzip $native_s s" "$(ratio "$whole_s" "$native_s")" "<= 1.5"
  echo "   (setup: agreement confirmed to product started; of it the download of the archive"
  echo "    $(med install "$MAIN" 5) s, the extraction $ex_s s; curl $(med install "$MAIN" 8) s of curl+unzip)"
  dl_s=$(med quiet "$MAIN" 3) curl_s=$(med quiet "$MAIN" 4)
  row Q "quiet download $MAIN MiB, median of $(count quiet "$MAIN")" "$dl_s s" "curl $curl_s s" \
    "$(ratio "$dl_s" "$curl_s")" "<= 5"
  ex_s=$(med quiet "$MAIN" 5) unzip_s=$(med quiet "$MAIN" 6)
  row Q "  its extraction, median of $(count quiet "$MAIN")" "$ex_s s" "unzip $unzip_s s" \
    "$(ratio "$ex_s" "$unzip_s")" ""
  echo "   (Q: /quiet installs of a package of $MAIN MiB of random bytes, stored, timed from the"
  echo "    log's stage lines; no percentage is shown, so no per-block write)"
  for mib in $GROWTH; do
    dl_s=$(med download "$mib" 3) curl_s=$(med download "$mib" 4)
    row 5 "download $mib MiB, median of $(count download "$mib")" "$(per_mib "$dl_s" "$mib")" \
      "curl $(per_mib "$curl_s" "$mib")" "$(ratio "$dl_s" "$curl_s")" "linear"
  done
  for mib in $GROWTH; do
    ex_s=$(med install "$mib" 6) unzip_s=$(med install "$mib" 7)
    row 5 "extraction $mib MiB, median of $(count install "$mib")" "$(per_mib "$ex_s" "$mib")" \
      "unzip $(per_mib "$unzip_s" "$mib")" "$(ratio "$ex_s" "$unzip_s")" "linear"
  done
  row 6 "control writes, download-only $MAIN MiB" "$(writes download-only download)" "" "" ""
  row 6 "control writes, install of the $MAIN MiB package" "download: $(writes install download)" "" "" ""
  row "" "" "extraction: $(writes install extraction)" "" "" ""
  row "" "" "other: $(writes install other)" "" "" ""
  echo "   longest wait for an answer to WM_NULL in a run (median / max over all runs of all sizes):"
  row R "download stage, download-only runs" "$(answers download 5)" "" "" ""
  row R "download stage, whole installs" "$(answers install 9)" "" "" ""
  row R "extraction stage, whole installs" "$(answers install 10)" "" "" ""
  row R "finishing (on the dialog thread), installs" "$(answers install 11)" "" "" ""
  https_s=$(med tls-https "$MAIN" 3) http_s=$(med tls-http "$MAIN" 3) curl_s=$(med tls-https "$MAIN" 4)
  row T "download $MAIN MiB over https, median of $(count tls-https "$MAIN")" "$https_s s" \
    "over http $http_s s" "$(ratio "$https_s" "$http_s")" ""
  row T "  the same file, curl over https" "$https_s s" "curl $curl_s s" "$(ratio "$https_s" "$curl_s")" ""
  https_s=$(med tls-https-both "$MAIN" 3) http_s=$(med tls-http-both "$MAIN" 3) curl_s=$(med tls-https-both "$MAIN" 4)
  row T "  without the per-block work (C: both)" "$https_s s" "over http $http_s s" "$(ratio "$https_s" "$http_s")" ""
  row T "    against curl over https" "$https_s s" "curl $curl_s s" "$(ratio "$https_s" "$curl_s")" ""
  hash_s=$(med hash "$MAIN" 3) sum_s=$(med hash "$MAIN" 4)
  row H "SHA-256 of $MAIN MiB (CryptoAPI), median of $(count hash "$MAIN")" "$hash_s s" \
    "sha256sum $sum_s s" "$(ratio "$hash_s" "$sum_s")" "<= 1.2"
  local keyed_s unkeyed_s
  keyed_s=$(med keyed "$MAIN" 3) unkeyed_s=$(med keyed "$MAIN" 4)
  row K "keyed install $MAIN MiB, median of $(count keyed "$MAIN")" "$keyed_s s" \
    "unkeyed $unkeyed_s s" "$(ratio "$keyed_s" "$unkeyed_s")" "<= 1.05"
  report_costs
}

# The C rows: the counting build's switches against the program as designed (cost_runs).
report_costs() {
  local variant label c writes
  local -A s  # the setup's median seconds by variant
  echo "   what the 4096-byte download blocks and the per-block percentage write cost"
  echo "   (counting build, $MAIN MiB, median of $(count cost-extraction designed) each):"
  for variant in $COST_VARIANTS; do
    case $variant in
      designed) label="download as designed" ;;
      no-percent) label="  percentage writes not shown" ;;
      read-64k) label="  64 KiB reads, handed out 4096 at a time" ;;
      both) label="  both" ;;
    esac
    s[$variant]=$(med cost-download "$variant" 3) c=$(med cost-download "$variant" 4)
    row C "$label" "${s[$variant]} s" "curl $c s" "$(ratio "${s[$variant]}" "$c")" "<= 1.25"
  done
  writes=$(awk '$1 == "writes" && $2 == "download-only" && $3 == "download" { print $5 }' "$results")
  # The two interact: while every block waits for its write, faster reads gain little.
  awk -v d="${s[designed]}" -v p="${s[no-percent]}" -v b="${s[both]}" -v n="$writes" 'BEGIN {
    printf "   the %d percentage writes cost %.3f s (%.3f ms each); without them, reading 4096 bytes\n",
      n, d - p, (n > 0 ? (d - p) * 1000 / n : 0)
    printf "   at a time costs %.3f s more than reading 64 KiB\n", p - b }'
  row C "extraction as designed" "$(med cost-extraction designed 3) s" "" "" ""
  row C "  only its first status write shown" "$(med cost-extraction quiet 3) s" "" "" ""
}

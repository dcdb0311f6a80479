#!/usr/bin/env bash
# The benchmark's smoke run (bench/run.sh --size smoke): every measurement runs once on 1 and
# 2 MiB, the setup's archive matches what nginx served, its extracted files match unzip's, and
# the table comes out whole; the setup's archive over https matches too, and the run's test CA
# is no longer trusted afterwards. No time is judged: a benchmark is not a test.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

mkdir -p "$E2E_STATE"
table=$(bash "$SOURCE_DIR/bench/run.sh" --size smoke --no-build --build "$BUILD_DIR" 2>"$E2E_STATE/bench-smoke.log")
rc=$?
expect_eq "bench exit code" "$rc" 0
[ "$rc" -eq 0 ] || tail -20 "$E2E_STATE/bench-smoke.log"

rows=(
  "1  exe code + data" "2  download 2 MiB" "3  extraction 2 MiB" "4  whole install"
  "5  download 1 MiB" "5  extraction 2 MiB" "6  control writes, download-only"
  "R  download stage, download-only runs" "R  extraction stage, whole installs"
  "H  SHA-256 of 2 MiB (CryptoAPI)" "K  keyed install 2 MiB, median of 1"
  "Q  quiet download 2 MiB, median of 1" "Q    its extraction"
  "T  download 2 MiB over https, median of 1" "T    the same file, curl over https"
  "T    without the per-block work (C: both)" "T      against curl over https"
  "C  download as designed" "C    percentage writes not shown" "C    64 KiB reads" "C  extraction as designed" "C    only its first status write shown"
)
for row in "${rows[@]}"; do
  if grep -qF -- "$row" <<<"$table"; then _pass "row: $row"; else fail "no row \"$row\""; fi
done
# A figure that could not be measured shows as nan or an empty ratio.
expect_eq "every figure measured" "$(grep -cE 'nan|  -  ' <<<"$table")" 0
# 2 MiB in 4096-byte blocks, a write after each read: 512 reads with data, the last empty read
# and the cleared field; a short read now and then adds one.
writes=$(grep -o 'download-only 2 MiB *status 1, percent [0-9]*' <<<"$table" | grep -o '[0-9]*$')
if [ "${writes:-0}" -ge 514 ] && [ "$writes" -le 530 ]; then _pass "percentage writes of the download: $writes"
else fail "percentage writes of the download: '$writes', expected 514 or a few more"; fi

# The CA the run trusted for its HTTPS rows is gone from the prefix again.
TLS_DIR=$BUILD_DIR/bench/tls
expect_eq "the run's test CA out of the prefix's Root store" "$(tls_ca_in_store)" 0

# Each switch of the counting build takes effect, in this build's bitness too.
results=$BUILD_DIR/bench/results.txt
# count KIND STAGE FIELD: a count of the counting build's KIND run (FIELD 4 status, 5 percent,
# 6 shown status, 7 shown percent).
count() { awk -v k="$1" -v s="$2" -v f="$3" '$1 == "writes" && $2 == k && $3 == s { print $f }' "$results"; }
reads() { awk -v k="$1" '$1 == "reads" && $2 == k { print $3 }' "$results"; }
expect_eq "percentage writes shown as designed" "$(count cost-designed download 7)" "$(count cost-designed download 5)"
expect_eq "no percentage write shown with the switch" "$(count cost-no-percent download 7)" 0
expect_ok test "$(count cost-no-percent download 5)" -gt 0
expect_ok test "$(reads cost-read-64k)" -gt 0
expect_ok test "$(($(reads cost-read-64k) * 8))" -lt "$(reads cost-designed)"
expect_eq "the extraction shows only its first status write" "$(count cost-install-quiet extraction 6)" 1
expect_ok test "$(count cost-install-designed extraction 6)" -gt 1
finish

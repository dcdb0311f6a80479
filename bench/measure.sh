# shellcheck shell=bash
# The measurements of bench/run.sh; sourced after tests/e2e/lib.sh and install_state.sh.
# Every run appends one line to $results; report turns them into the table.
#
# How a stage is timed: "uidriver watch" reads the status line every 2 ms (GetWindowTextA,
# which needs no answer from the dialog) and prints the wall clock each time it shows a new
# text. A stage lasts from the first time its text is seen to the first time another text is:
# the download from "파일 다운로드 중입니다." (written once the response is accepted and the
# archive file made) to the next status (written only after the archive is closed and the next
# stage began); the extraction from the first "복사 중... " text (first block of the first
# entry) to "파일 복사 완료" (written after the last entry is closed and the stage ended).
# Meanwhile the watch keeps one WM_NULL on its way to the dialog and records the longest wait
# for its answer: how long a click on Cancel would have waited.

# The install folder of the whole installs; INSTALL_DIR (its Linux path) is set once the
# prefix is known: bench_places.
INSTALL_DIR_WIN='C:\VelmoraBench\'
bench_places() { INSTALL_DIR=$(drive_c)/VelmoraBench; }
PACKAGE_URL=http://localhost/update/velmora_direct.zip
COPYING_PREFIX="복사 중... "

now() { echo "$EPOCHREALTIME"; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }

# runs_for MIB: how many runs a size gets.
runs_for() {
  if [ "$RUNS" -eq 1 ] || [ "$1" -eq "$MAIN" ]; then echo "$RUNS"
  elif [ "$1" -lt "$MAIN" ]; then echo 3
  else echo 2
  fi
}

# random_body MIB: path of a MIB body of random bytes (no "P", so never taken for a zip).
random_body() {
  local file=$state/data/body-$1MiB.bin
  [ -f "$file" ] || make_body "$file" $(($1 * 1048576)) || return 1
  echo "$file"
}

# package_for MIB: path of the generated package for MIB MiB with the sample product in it;
# made again when the maker or the sample product is newer.
package_for() {
  local file=$state/data/package-$1MiB.zip exe=$build/sample/$PRODUCT_EXE uninst=$build/sample/$UNINST_EXE
  if [ ! -f "$file" ] || [ "$MAKE_PACKAGE" -nt "$file" ] || [ "$exe" -nt "$file" ] || [ "$uninst" -nt "$file" ]; then
    step "making the $1 MiB package"
    "$MAKE_PACKAGE" "$file" "$1" --add "$exe" "$PRODUCT_EXE" --add "$uninst" "$UNINST_EXE" >"$file.txt" ||
      return 1
  fi
  echo "$file"
}

# serve FILE: nginx answers the profile's package URL with FILE.
serve() { ln -f "$1" "$www/update/velmora_direct.zip"; }

# start_watch NAME UNTIL: watches the setup's status line in the background into
# $state/watch/NAME.txt (WATCH) until it shows UNTIL (or the setup goes); returns once the
# watch has seen the window. The files stay for a look at a run's timeline.
start_watch() {
  local watch=$state/watch/$1.txt attempt
  WATCH=$watch
  shift
  mkdir -p "$state/watch"
  for attempt in 1 2; do
    : >"$watch"
    drv watch "$SETUP_TITLE" "$IDC_STATUS" "$1" 1200000 >"$watch" &
    WATCH_PID=$!
    wait_ready "$WATCH_PID" 1000 0.01 test -s "$watch" && return 0
    if kill -0 "$WATCH_PID" 2>/dev/null; then
      echo "bench: the watch did not start: no line from it yet, setup windows: $(drv count-windows "$SETUP_TITLE")" >&2
      return 1
    fi
    # Ended without a line (drv said why): once more.
    echo "bench: the watch ended without a line (start $attempt)" >&2
  done
  return 1
}

# end_watch: waits for the watch; fails when it failed.
end_watch() {
  local rc=0
  wait "$WATCH_PID" || rc=$?
  WATCH_PID=
  [ "$rc" -eq 0 ] || { echo "bench: the watch failed:" >&2; cat "$WATCH" >&2; }
  return "$rc"
}

# span TEXT [prefix]: "SECONDS LONGEST_ANSWER_MS" of the stage whose status is TEXT (or
# starts with it), from the watch's lines; fails when the stage was not seen to end before the
# window went.
span() {
  awk -v want="$1" -v prefix="${2:-}" '
    { t = $1; answer = $2; text = $0; sub(/^[^ ]+ [^ ]+ ?/, "", text)
      inside = prefix ? index(text, want) == 1 : text == want }
    !started && inside { started = 1; t0 = t; next }
    started && !ended { if (answer > worst) worst = answer; if (!inside) { ended = 1; t1 = t } }
    ended && !told { told = 1; if (text == "(gone)") ended = 0 }
    END { if (!ended) exit 1; printf "%.3f %.1f\n", t1 - t0, worst }
  ' "$WATCH"
}

# setup_download_once NAME BYTES: one download in the running setup of a body that is no zip
# archive, so the run ends with the general failure message; sets SETUP_S and ANSWER_MS.
setup_download_once() {
  local stage
  rm -f "$TEMP_ARCHIVE"
  start_watch "$1" "$IDLE_STATUS" && install_into "$INSTALL_DIR_WIN" && end_watch || return 1
  msgbox_of "$SETUP_TITLE" 30000 || { echo "bench: no message box after the download" >&2; return 1; }
  [ "$MSG_TEXT" = "$FAILED_TEXT" ] || { echo "bench: the download failed: $MSG_TEXT" >&2; return 1; }
  drv answer "$SETUP_TITLE" "$IDOK" >/dev/null || return 1
  [ "$(stat -c %s "$TEMP_ARCHIVE")" = "$2" ] || { echo "bench: archive of the wrong size" >&2; return 1; }
  stage=$(span "$DOWNLOADING_STATUS") || { echo "bench: no download stage seen" >&2; return 1; }
  read -r SETUP_S ANSWER_MS <<<"$stage"
}

# curl_once: curl fetches the package to the same disk; CURL_S is its transfer time.
curl_once() {
  rm -f "$state/curl.bin"
  CURL_S=$(curl -fsS --noproxy '*' -o "$state/curl.bin" -w '%{time_total}' "$PACKAGE_URL") || return 1
}

# download_checked NAME BODY: one download of BODY in the running setup and one by curl; the
# setup's archive must be BODY byte for byte.
download_checked() {
  setup_download_once "$1" "$(stat -c %s "$2")" && curl_once || return 1
  cmp -s "$TEMP_ARCHIVE" "$2" || { echo "bench: the setup's archive differs ($1)" >&2; return 1; }
}

# download_runs MIB N: N runs of the setup's download stage, each followed by curl's.
download_runs() {
  local body run
  body=$(random_body "$1") || return 1
  serve "$body"
  for run in $(seq "$2"); do
    download_checked "download-$1MiB-$run" "$body" || return 1
    echo "download $1 $SETUP_S $CURL_S $ANSWER_MS" >>"$results"
    step "download $1 MiB run $run: setup $SETUP_S s, curl $CURL_S s, longest answer $ANSWER_MS ms"
  done
}

# wait_started SECONDS: until the product wrote started.log in the install folder.
wait_started() {
  local until=$((SECONDS + $1))
  until [ -e "$INSTALL_DIR/started.log" ]; do
    [ "$SECONDS" -lt "$until" ] || return 1
    sleep 0.01
  done
}

# setup_install_once NAME: a whole install into INSTALL_DIR; sets WHOLE_S (from the click that
# confirms the agreement, the user's last input, to the product's start), DL_S, EX_S and the
# longest answers ANSWER_DL, ANSWER_EX and ANSWER_FINISH (the finishing steps, which run on
# the dialog's thread after "파일 복사 완료").
setup_install_once() {
  local t0 t1 stage
  forget_install "$INSTALL_DIR"
  setup_start || return 1
  start_watch "$1" "(gone)" || return 1  # no status says so: the watch ends with the window
  press_install "$INSTALL_DIR_WIN" && drv wait-window "$AGREEMENT_TITLE" >/dev/null &&
    drv check "$AGREEMENT_TITLE" "$IDC_AGREE_CHECK" 1 >/dev/null || return 1
  t0=$(now)
  drv click "$AGREEMENT_TITLE" "$IDOK" >/dev/null || return 1
  wait_started 1200 || { echo "bench: the product did not start" >&2; return 1; }
  t1=$(now)
  end_watch || return 1
  wait_exit "$SETUP_PID" 30 || { echo "bench: the setup did not end" >&2; return 1; }
  SETUP_PID=
  drv close "$PRODUCT_WINDOW" 10000 >/dev/null && drv wait-gone "$PRODUCT_WINDOW" >/dev/null || return 1
  WHOLE_S=$(minus "$t1" "$t0")
  stage=$(span "$DOWNLOADING_STATUS") || { echo "bench: no download stage seen" >&2; return 1; }
  read -r DL_S ANSWER_DL <<<"$stage"
  stage=$(span "$COPYING_PREFIX" prefix) || { echo "bench: no extraction stage seen" >&2; return 1; }
  read -r EX_S ANSWER_EX <<<"$stage"
  ANSWER_FINISH=$(awk '$3 == "(gone)" { print $2 }' "$WATCH")
}

# native_install_once: curl then unzip -o -qq into an empty folder on the same disk; sets
# NATIVE_S, CURL_S and UNZIP_S (wall clock, process starts included).
native_install_once() {
  local t0 t1 t2
  rm -rf "$state/native" && mkdir -p "$state/native/out" || return 1
  t0=$(now)
  curl -fsS --noproxy '*' -o "$state/native/package.zip" "$PACKAGE_URL" || return 1
  t1=$(now)
  unzip -o -qq "$state/native/package.zip" -d "$state/native/out" || return 1
  t2=$(now)
  NATIVE_S=$(minus "$t2" "$t0") CURL_S=$(minus "$t1" "$t0") UNZIP_S=$(minus "$t2" "$t1")
}

# install_runs MIB N: N whole installs of the MIB package, each followed by curl + unzip. The
# first run of a size checks that the setup extracted what unzip did.
install_runs() {
  local package run
  package=$(package_for "$1") || return 1
  serve "$package"
  for run in $(seq "$2"); do
    setup_install_once "install-$1MiB-$run" && native_install_once || return 1
    if [ "$run" = 1 ]; then
      diff -rq -x started.log "$INSTALL_DIR" "$state/native/out" >&2 ||
        { echo "bench: the setup's files differ from unzip's" >&2; return 1; }
    fi
    echo "install $1 $WHOLE_S $NATIVE_S $DL_S $EX_S $UNZIP_S $CURL_S $ANSWER_DL $ANSWER_EX $ANSWER_FINISH" >>"$results"
    step "install $1 MiB run $run: setup $WHOLE_S s (download $DL_S, extraction $EX_S)," \
      "curl + unzip $NATIVE_S s (unzip $UNZIP_S); longest answers $ANSWER_DL / $ANSWER_EX / $ANSWER_FINISH ms"
  done
  forget_install "$INSTALL_DIR"
}

# Q: quiet installs (/quiet), timed from the log's stamps: a stage lasts from its "start" line
# to its "ok" line (milliseconds). No percentage is shown, so the download is free of the
# per-block writes of row 2.

# quiet_package_for MIB: a package of MIB MiB of random bytes, stored (so the archive is as
# large as its content: MIB MiB are downloaded), with the sample product.
quiet_package_for() {
  local file=$state/data/quiet-$1MiB.zip body
  body=$(random_body "$1") || return 1
  if [ ! -f "$file" ] || [ "$body" -nt "$file" ] || [ "$build/sample/$PRODUCT_EXE" -nt "$file" ]; then
    rm -f "$file"
    zip -q -0 -j "$file" "$body" "$build/sample/$PRODUCT_EXE" "$build/sample/$UNINST_EXE" || return 1
  fi
  echo "$file"
}

# log_span LOG STAGE: seconds from the log's "STAGE start" line to its "STAGE ok" line.
log_span() {
  tr -d '\r' <"$1" | awk -v stage="$2" '
    function seconds(clock, p) { split(clock, p, ":"); return p[1] * 3600 + p[2] * 60 + p[3] }
    $3 == stage && $4 == "start" { t0 = seconds($2) }
    $3 == stage && $4 == "ok" { t1 = seconds($2); found = 1 }
    END { if (!found) exit 1; d = t1 - t0; if (d < 0) d += 86400; printf "%.3f\n", d }'
}

# quiet_runs MIB N: N quiet installs of the MIB package, each followed by curl + unzip of it; the
# first run checks that the setup extracted what unzip did.
quiet_runs() {
  local package run log=$state/quiet.log dl ex
  package=$(quiet_package_for "$1") || return 1
  serve "$package"
  for run in $(seq "$2"); do
    forget_install "$INSTALL_DIR"
    rm -f "$log"
    setup_run "/quiet /accept-licence /dir:\"${INSTALL_DIR_WIN%\\}\" /log:\"$(windows_path "$log")\"" 1200000 ||
      { echo "bench: the quiet install did not end" >&2; return 1; }
    [ "$RUN_EXIT" = 0 ] && [ -z "$RUN_WINDOWS" ] ||
      { echo "bench: the quiet install ended with $RUN_EXIT, windows: $RUN_WINDOWS" >&2; cat "$log" >&2; return 1; }
    dl=$(log_span "$log" download) && ex=$(log_span "$log" extract) ||
      { echo "bench: no stage lines in the quiet install's log" >&2; return 1; }
    native_install_once || return 1
    if [ "$run" = 1 ]; then
      diff -rq "$INSTALL_DIR" "$state/native/out" >&2 ||
        { echo "bench: the quiet install's files differ from unzip's" >&2; return 1; }
    fi
    echo "quiet $1 $dl $CURL_S $ex $UNZIP_S" >>"$results"
    step "quiet install $1 MiB run $run: download $dl s (curl $CURL_S s), extraction $ex s (unzip $UNZIP_S s)"
  done
  forget_install "$INSTALL_DIR"
}

# read_counts KIND: the counting build's file, as "writes KIND STAGE STATUS PERCENT
# SHOWN_STATUS SHOWN_PERCENT" lines and a "reads KIND WININET_READS" line.
read_counts() {
  local _
  for _ in $(seq 100); do [ -s "$state/counts.txt" ] && break; sleep 0.05; done
  tr -d '\r' <"$state/counts.txt" | sed -n -e "s/^\([a-z]*\) status=\([0-9]*\) percent=\([0-9]*\) shown_status=\([0-9]*\) shown_percent=\([0-9]*\)$/writes $1 \1 \2 \3 \4 \5/p" \
    -e "s/^wininet reads=\([0-9]*\)$/reads $1 \1/p" >>"$results"
  grep -q "^writes $1 " "$results" || { echo "bench: no counts from the counting build" >&2; return 1; }
}

# counting KIND: the counting build keeps its counts of the next run for read_counts KIND.
counting() {
  export VELMORA_BENCH_COUNTS="Z:${state//\//\\}\\counts.txt"
  rm -f "$state/counts.txt"
}

# count_writes MIB: a download-only run of a MIB body and a whole install of the MIB package
# with the counting build.
count_writes() {
  local body saved=$SETUP_EXE
  body=$(random_body "$1") || return 1
  serve "$body"
  counting
  SETUP_EXE=$COUNTING_EXE
  setup_start && setup_download_once "counting-download" "$(stat -c %s "$body")" || return 1
  setup_stop
  read_counts download-only || return 1
  serve "$(package_for "$1")" && rm -f "$state/counts.txt" || return 1
  setup_install_once counting-install && read_counts install || return 1
  SETUP_EXE=$saved
  unset VELMORA_BENCH_COUNTS
  forget_install "$INSTALL_DIR"
}

# What the 4096-byte download blocks and the per-block percentage write cost: the counting build
# with its switches (bench/control_writes.cpp, bench/read_ahead.cpp), each variant against curl.
# "quiet" leaves the extraction only its first status write: what the control writes cost there.
COST_VARIANTS="designed no-percent read-64k both"
cost_switches() {
  unset VELMORA_BENCH_SKIP_PERCENT VELMORA_BENCH_READ_AHEAD VELMORA_BENCH_SKIP_FILE_STATUS
  case $1 in
    no-percent) export VELMORA_BENCH_SKIP_PERCENT=1 ;;
    read-64k) export VELMORA_BENCH_READ_AHEAD=65536 ;;
    both) export VELMORA_BENCH_SKIP_PERCENT=1 VELMORA_BENCH_READ_AHEAD=65536 ;;
    quiet) export VELMORA_BENCH_SKIP_PERCENT=1 VELMORA_BENCH_SKIP_FILE_STATUS=1 ;;
  esac
}

# cost_runs MIB N: N download-only runs of each variant, and N whole installs as designed and
# quiet (the extraction's side). The counts of each variant ("cost-VARIANT") show that its
# switches took effect.
cost_runs() {
  local body variant run saved=$SETUP_EXE
  body=$(random_body "$1") || return 1
  SETUP_EXE=$COUNTING_EXE
  serve "$body"
  for variant in $COST_VARIANTS; do
    cost_switches "$variant"
    counting
    setup_start || return 1
    for run in $(seq "$2"); do
      download_checked "cost-$variant-$run" "$body" || return 1
      echo "cost-download $variant $SETUP_S $CURL_S" >>"$results"
      step "cost, download $1 MiB, $variant, run $run: setup $SETUP_S s, curl $CURL_S s"
    done
    setup_stop
    read_counts "cost-$variant" || return 1
  done
  serve "$(package_for "$1")" || return 1
  for variant in designed quiet; do
    cost_switches "$variant"
    for run in $(seq "$2"); do
      counting
      setup_install_once "cost-install-$variant-$run" || return 1
      [ "$run" = 1 ] && { read_counts "cost-install-$variant" || return 1; }
      echo "cost-extraction $variant $EX_S" >>"$results"
      step "cost, extraction $1 MiB, $variant, run $run: $EX_S s"
    done
  done
  cost_switches designed
  unset VELMORA_BENCH_COUNTS
  SETUP_EXE=$saved
  forget_install "$INSTALL_DIR"
}

# hash_runs MIB N: N runs of the setup's SHA-256 (the package check's hashing, bench_sha256.exe,
# its time taken inside the process: Wine's start is no part of hashing) against sha256sum's
# wall clock, over the same random MIB body, which the first sha256sum puts in the page cache.
# The two digests must agree.
hash_runs() {
  local body run line digest setup_s t0 t1 reference
  body=$(random_body "$1") || return 1
  reference=$(sha256sum "$body" | cut -d' ' -f1) || return 1
  for run in $(seq "$2"); do
    line=$(wine_run "$HASH_EXE" "Z:${body//\//\\}" </dev/null | tr -d '\r') || return 1
    read -r digest setup_s <<<"$line"
    [ "$digest" = "$reference" ] || { echo "bench: the setup's SHA-256 is not sha256sum's: $line" >&2; return 1; }
    t0=$(now)
    sha256sum "$body" >/dev/null || return 1
    t1=$(now)
    echo "hash $1 $setup_s $(minus "$t1" "$t0")" >>"$results"
    step "sha-256 $1 MiB run $run: setup $setup_s s, sha256sum $(minus "$t1" "$t0") s"
  done
}

# T: HTTPS against plain HTTP. nginx serves the same file on its TLS server too, with a
# certificate from a CA that run.sh makes for the run and trusts in the prefix alone (TLS_DIR).
# The download stage is timed as in 2 (from "파일 다운로드 중입니다.", written once the response is
# accepted, so the handshake is not in it; curl's time_total has its own, a few ms).
HTTPS_URL=https://localhost/update/velmora_direct.zip

# curl_https_once: curl fetches the package over https, trusting the run's CA alone; CURL_S.
curl_https_once() {
  rm -f "$state/curl.bin"
  CURL_S=$(curl -fsS --noproxy '*' --cacert "${TLS_DIR:?}/ca.pem" -o "$state/curl.bin" \
    -w '%{time_total}' "$HTTPS_URL") || return 1
}

# tls_download_runs SCHEME URL MIB N [both]: N download-only runs of the served MIB body in a
# setup started with "/axs:" and URL; for https each is followed by curl over https. Every
# archive, and curl's file, must be the body byte for byte. With "both", the counting build with
# both switches of the C rows (no percentage shown, 64 KiB reads): what is left is the
# transport's own cost, which the per-block writes otherwise drown.
tls_download_runs() {
  local scheme=$1 url=$2 mib=$3 kind=tls-$1${5:+-$5} body run saved=$SETUP_EXE
  body=$(random_body "$mib") || return 1
  if [ "${5:-}" = both ]; then SETUP_EXE=$COUNTING_EXE; cost_switches both; fi
  setup_start "/axs:L $url A" || return 1
  for run in $(seq "$4"); do
    setup_download_once "$kind-$mib-$run" "$(stat -c %s "$body")" && cmp -s "$TEMP_ARCHIVE" "$body" ||
      { echo "bench: the setup's archive over $scheme differs" >&2; return 1; }
    CURL_S=
    if [ "$scheme" = https ]; then
      curl_https_once && cmp -s "$state/curl.bin" "$body" || { echo "bench: curl over https failed" >&2; return 1; }
    fi
    echo "$kind $mib $SETUP_S $CURL_S" >>"$results"
    step "download $mib MiB, $kind, run $run: setup $SETUP_S s${CURL_S:+, curl over https $CURL_S s}"
  done
  setup_stop
  cost_switches designed
  SETUP_EXE=$saved
}

# tls_runs MIB N: the same MIB body over plain HTTP and over https, N runs each, both from the
# same nginx and both asked for with "/axs:"; then the same with the counting build's switches.
tls_runs() {
  local variant
  serve "$(random_body "$1")" || return 1
  for variant in "" both; do
    tls_download_runs http "$PACKAGE_URL" "$1" "$2" $variant &&
      tls_download_runs https "$HTTPS_URL" "$1" "$2" $variant || return 1
  done
}

# K: a keyed install against an unkeyed one of the same package. velmora_setup_keyed.exe is the
# program built with the benchmark's throwaway key (<build>/bench-key); it hashes the archive
# while it downloads it, then fetches "<package>.sig" and checks it before extracting. nginx
# serves the signature beside the package.

# sign_package FILE: FILE's signature under the benchmark's key, served beside it.
sign_package() {
  local key=$build/bench-key/package_key.pem sig=$1.sig
  if [ ! -f "$sig" ] || [ "$1" -nt "$sig" ] || [ "$key" -nt "$sig" ]; then
    openssl dgst -sha256 -sign "$key" -out "$sig" "$1" || return 1
  fi
  ln -f "$sig" "$www/update/velmora_direct.zip.sig"
}

# keyed_install_once KIND NAME: a whole install (watched as KIND-NAME) by the keyed program (KIND
# keyed) or the shipped one (unkeyed); its WHOLE_S into KEYED_S or UNKEYED_S.
keyed_install_once() {
  local saved=$SETUP_EXE rc=0
  [ "$1" = keyed ] && SETUP_EXE=$KEYED_EXE
  setup_install_once "$1-$2" || rc=1
  SETUP_EXE=$saved
  printf -v "${1^^}_S" '%s' "$WHOLE_S"
  return $rc
}

# keyed_runs MIB N: N pairs of whole installs of the MIB package, a keyed and an unkeyed one
# back to back, which goes first alternating: the second of a pair meets the first one's files
# still being written out and removed.
keyed_runs() {
  local package run first second
  package=$(package_for "$1") || return 1
  serve "$package" && sign_package "$package" || { echo "bench: cannot sign the package" >&2; return 1; }
  for run in $(seq "$2"); do
    first=unkeyed second=keyed
    [ $((run % 2)) = 0 ] && first=keyed second=unkeyed
    keyed_install_once "$first" "$1MiB-$run" && keyed_install_once "$second" "$1MiB-$run" || return 1
    echo "keyed $1 $KEYED_S $UNKEYED_S" >>"$results"
    step "keyed install $1 MiB run $run ($first first): keyed $KEYED_S s, unkeyed $UNKEYED_S s"
  done
  rm -f "$www/update/velmora_direct.zip.sig"
  forget_install "$INSTALL_DIR"
}

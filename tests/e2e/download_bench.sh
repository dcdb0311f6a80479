#!/usr/bin/env bash
# A benchmark, not a test: the download stage's throughput against curl on the same loopback
# nginx. Run it like a scenario, holding the port-80 lock (see the final report of the download
# work for the exact command). MB=size of the package in MiB (100).
set -u
. "$(dirname "$0")/lib.sh"

mb=${MB:-100}
www=$E2E_STATE/bench-www
package=$www/update/velmora_direct.zip
make_body "$package" $((mb * 1024 * 1024))
size=$(stat -c %s "$package")
find_temp_archive || exit 1
rm -f "$TEMP_ARCHIVE"
nginx_start "$www" || exit 1
trap 'setup_stop; servers_stop; rm -rf "$www" "$E2E_STATE/bench-curl.bin"' EXIT

now() { date +%s.%N; }
rate() { echo "scale=1; $size / 1048576 / ($2 - $1)" | bc; }

# curl: three runs, to the same disk.
for run in 1 2 3; do
  t0=$(now)
  curl -fsS --noproxy '*' -o "$E2E_STATE/bench-curl.bin" http://localhost/update/velmora_direct.zip
  t1=$(now)
  echo "curl  run $run: $(echo "$t1 - $t0" | bc) s, $(rate "$t0" "$t1") MiB/s"
done

# The setup: from the download status to the archive at its full size (polled every 10 ms).
setup_start || exit 1
for run in 1 2 3; do
  install_into "$E2E_DIR" || exit 1
  drv wait-text "$SETUP_TITLE" $IDC_STATUS "$DOWNLOADING_STATUS" 20000 >/dev/null || exit 1
  t0=$(now)
  while [ "$(stat -c %s "$TEMP_ARCHIVE" 2>/dev/null || echo 0)" -lt "$size" ]; do sleep 0.01; done
  t1=$(now)
  msgbox_of "$SETUP_TITLE" 60000 || exit 1
  t2=$(now)
  cmp -s "$TEMP_ARCHIVE" "$package" || echo "archive differs!"
  echo "setup run $run: full size after $(echo "$t1 - $t0" | bc) s ($(rate "$t0" "$t1") MiB/s);" \
    "stage over (message box seen) after $(echo "$t2 - $t0" | bc) s"
  drv answer "$SETUP_TITLE" $IDOK >/dev/null
done

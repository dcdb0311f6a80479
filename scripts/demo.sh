#!/usr/bin/env bash
# The demo: builds the setup and the sample package, serves the package with
# nginx on 127.0.0.1:80 and runs velmora_setup.exe under Wine.
# With a display you click through the setup yourself. Without one, the demo
# runs it on a virtual display, drives it through every step and saves a
# screenshot of each into demo-output/. Last, it installs the product once more as a deployment
# tool would, with /quiet, and prints that run's exit code and log.
# It runs the shipped 32-bit build where this host runs 32-bit code, else the 64-bit build of
# the same sources (SETUP_FORCE_X64=1 forces that).
# The build it runs is signed (Authenticode, osslsigncode): with the certificate and key named by
# SETUP_SIGN_CERT and SETUP_SIGN_KEY (SETUP_SIGN_CAFILE: the CA to verify against), or else with
# a throwaway certificate the demo makes in build/demo-signing/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out="$root/demo-output"

bash scripts/install-deps.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
wine_choose_build
echo "demo: running the ${WINE_BUILD_LINE#Windows tests: }"
build="$root/$WINDOWS_BUILD"
sign_cert=${SETUP_SIGN_CERT:-} sign_key=${SETUP_SIGN_KEY:-} ca_file=${SETUP_SIGN_CAFILE:-}
if [ -z "$sign_cert" ]; then
  certs="$root/build/demo-signing"
  # Made again when missing or about to expire (it lives 30 days).
  if ! openssl x509 -checkend 86400 -noout -in "$certs/signer.pem" >/dev/null 2>&1; then
    rm -rf "$certs"
    bash scripts/make-throwaway-certificate.sh "$certs" "Velmora Demo"
  fi
  sign_cert=$certs/signer.pem sign_key=$certs/signer.key ca_file=$certs/ca.pem
fi
cmake --preset "$WINDOWS_PRESET" -DSETUP_SIGN_CERT="$sign_cert" -DSETUP_SIGN_KEY="$sign_key" >/dev/null
cmake --build --preset "$WINDOWS_PRESET"
verdict=$(osslsigncode verify ${ca_file:+-CAfile "$ca_file"} -in "$build/velmora_setup.exe" 2>&1) || true
echo "demo: velmora_setup.exe signed by $(sed -n 's/^[[:space:]]*Subject: //p' <<<"$verdict" | head -1)" \
  "($sign_cert)"
echo "demo: osslsigncode verify${ca_file:+ -CAfile $ca_file}: $(sed -n 's/^Signature verification: //p' <<<"$verdict" | head -1)"

# shellcheck source=tests/e2e/lib.sh
UIDRIVER="$build/uidriver.exe" SETUP_EXE="$build/velmora_setup.exe" BUILD_DIR="$build" SOURCE_DIR="$root"
export UIDRIVER SETUP_EXE BUILD_DIR SOURCE_DIR
source tests/e2e/lib.sh

if _xvfb_usable; then headless=0; else headless=1; unset DISPLAY; fi
cleanup() {
  bash scripts/package-server.sh stop >/dev/null 2>&1 || true
  wine_env_stop
}
trap cleanup EXIT
xvfb_start
wine_env_setup "$root/build/windows/wine"

# The demo package: the sample package with a media file added, served slowly enough
# that the download and the extraction can be seen (and photographed).
demo_root="$build/demo-package"
archive=$(basename "$(ls "$build"/package/update/*.zip)")
if [ ! -f "$demo_root/update/$archive" ] || [ "$build/package/update/$archive" -nt "$demo_root/update/$archive" ]; then
  rm -rf "$demo_root" && mkdir -p "$demo_root/update" "$demo_root/media/media"
  head -c $((24 * 1024 * 1024)) /dev/urandom >"$demo_root/media/media/intro.dat"
  cp "$build/package/update/$archive" "$demo_root/update/$archive"
  (cd "$demo_root/media" && zip -q -X -0 "$demo_root/update/$archive" media/intro.dat)
  rm -rf "$demo_root/media"
fi
PACKAGE_SERVER_LIMIT_RATE=${PACKAGE_SERVER_LIMIT_RATE:-8m} \
  bash scripts/package-server.sh start "$demo_root"

# One unattended install, as a deployment tool starts it: no window, an exit code, a log.
quiet_demo() {
  local dir='C:\Velmora Quiet' log_win='C:\velmora-demo-quiet.log' log
  log="$(drive_c)/velmora-demo-quiet.log"
  rm -f "$log"
  echo "demo: an unattended install: velmora_setup.exe /quiet /accept-licence /dir:\"$dir\" /log:$log_win"
  setup_run "/quiet /accept-licence /dir:\"$dir\" /log:$log_win" || { echo "demo: the quiet install did not end" >&2; return 1; }
  echo "demo: exit code $RUN_EXIT; windows it showed: ${RUN_WINDOWS:-none}"
  echo "demo: its log, $log:"
  tr -d '\r' <"$log" | sed 's/^/  /'
}

if [ "$headless" = 0 ]; then
  echo "demo: the setup is open on your display; the product starts when it is done."
  wine_run "$SETUP_EXE" </dev/null >/dev/null 2>&1
  quiet_demo
  exit 0
fi

mkdir -p "$out"
rm -f "$out"/*.png
shot() { screenshot "$out/$1.png" && echo "demo: $out/$1.png"; }

# wait_status_prefix PREFIX: until the status line starts with PREFIX (30 s at most).
wait_status_prefix() {
  local i text
  for i in $(seq 300); do
    text=$(drv text "$SETUP_TITLE" $IDC_STATUS 2>/dev/null) || return 1
    [[ "$text" == "$1"* ]] && return 0
    sleep 0.05
  done
  return 1
}

setup_start
shot 01-main-dialog
drv click "$SETUP_TITLE" $IDC_INSTALL >/dev/null
drv wait-window "$AGREEMENT_TITLE" >/dev/null
shot 02-agreement
drv check "$AGREEMENT_TITLE" $IDC_AGREE_CHECK 1 >/dev/null
drv click "$AGREEMENT_TITLE" $IDOK >/dev/null
wait_status_prefix "$DOWNLOADING_STATUS" && sleep 0.3 && shot 03-download
wait_status_prefix "복사 중..." && shot 04-extraction
drv wait-window "Velmora" 30000 >/dev/null && sleep 1 && shot 05-product-started
wait_exit "$SETUP_PID" 30 || echo "demo: the setup did not end by itself" >&2
echo "demo: installed into $(drive_c)/users/root/AppData/Local/Velmora"
quiet_demo

# shellcheck shell=bash
# HTTPS for the package server: a private CA made for the test and trusted only inside the test
# prefix. Part of tests/e2e/lib.sh.

# tls_ca_make DIR: a private CA and a certificate for localhost made afresh in DIR (TLS_DIR), for
# the package server's HTTPS (PACKAGE_SERVER_TLS="$TLS_DIR"); not trusted anywhere yet.
tls_ca_make() {
  TLS_DIR=$1
  bash "${SOURCE_DIR:?}/scripts/tls-test-ca.sh" make "$TLS_DIR" >/dev/null
}

# tls_trust: TLS_DIR's CA trusted in the test prefix alone; tls_untrust takes it out again and
# is fine when it is not there (call it from the EXIT trap too).
tls_trust() { bash "${SOURCE_DIR:?}/scripts/tls-test-ca.sh" trust "${TLS_DIR:?}"; }
tls_untrust() {
  [ -n "${TLS_DIR:-}" ] && [ -f "$TLS_DIR/ca.pem" ] || return 0
  bash "${SOURCE_DIR:?}/scripts/tls-test-ca.sh" untrust "$TLS_DIR"
}

# tls_ca_in_store: 1 while TLS_DIR's CA is in the prefix's machine Root store, else 0. (Wine
# fills that store with the host's CAs the first time a program checks a certificate.)
tls_ca_in_store() {
  local thumbprint
  thumbprint=$(bash "${SOURCE_DIR:?}/scripts/tls-test-ca.sh" thumbprint "${TLS_DIR:?}") || return 1
  wine_run reg query 'HKLM\Software\Microsoft\SystemCertificates\Root\Certificates' </dev/null 2>/dev/null |
    tr -d '\r' | grep -c "\\\\$thumbprint\$"
}

#!/usr/bin/env bash
# Signs one Windows program in place (Authenticode, SHA-256) with the PEM
# certificate and key in ORRA_SIGN_CERT and ORRA_SIGN_KEY, timestamped when
# ORRA_SIGN_TIMESTAMP_URL names a server. makensis calls it for the uninstaller
# and the installer (!uninstfinalize, !finalize):
#   sign.sh FILE
set -euo pipefail
[ $# = 1 ] || { echo "usage: $0 FILE" >&2; exit 2; }
ts=()
[ -n "${ORRA_SIGN_TIMESTAMP_URL:-}" ] && ts=(-ts "$ORRA_SIGN_TIMESTAMP_URL")
rm -f "$1.signed" # osslsigncode writes no file that exists
osslsigncode sign -certs "$ORRA_SIGN_CERT" -key "$ORRA_SIGN_KEY" -h sha256 \
    -n "Orra Native American Astrology" "${ts[@]}" -in "$1" -out "$1.signed" >/dev/null || {
    rm -f "$1.signed"
    echo "FAIL: signing $1 with $ORRA_SIGN_CERT" >&2
    exit 1
}
mv "$1.signed" "$1"

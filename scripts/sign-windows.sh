#!/usr/bin/env bash
# Authenticode-signs Windows programs, DLLs and installers in place with osslsigncode:
#
#   scripts/sign-windows.sh FILE...
#
# TAVRIX_SIGN_PFX: the PKCS#12 file with the code signing certificate, its chain and key.
# TAVRIX_SIGN_PASS_FILE: a file whose first line is the PKCS#12 password (none if unset).
# TAVRIX_SIGN_TSA: an RFC 3161 time stamping server (http://...); without one the signing
#   time is SOURCE_DATE_EPOCH when set, so that signing twice gives the same bytes.
set -euo pipefail
: "${TAVRIX_SIGN_PFX:?TAVRIX_SIGN_PFX names no certificate}"
[ -r "$TAVRIX_SIGN_PFX" ] || { echo "sign: cannot read $TAVRIX_SIGN_PFX" >&2; exit 1; }
options=(-pkcs12 "$TAVRIX_SIGN_PFX" -h sha256 -n "Tavrix Configurator" -i "https://www.tavrix.example/")
if [ -n "${TAVRIX_SIGN_PASS_FILE:-}" ]; then
  [ -r "$TAVRIX_SIGN_PASS_FILE" ] || { echo "sign: cannot read $TAVRIX_SIGN_PASS_FILE" >&2; exit 1; }
  options+=(-readpass "$TAVRIX_SIGN_PASS_FILE")
fi
if [ -n "${TAVRIX_SIGN_TSA:-}" ]; then
  options+=(-ts "$TAVRIX_SIGN_TSA")
elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  options+=(-time "$SOURCE_DATE_EPOCH")
fi
for file in "$@"; do
  # A file signed before (a stage signed twice) gets one signature, not two.
  if osslsigncode extract-signature -in "$file" -out /dev/null >/dev/null 2>&1; then
    osslsigncode remove-signature -in "$file" -out "$file.unsigned" >/dev/null
    mv -f "$file.unsigned" "$file"
  fi
  if ! osslsigncode sign "${options[@]}" -in "$file" -out "$file.signed" >"$file.signlog" 2>&1; then
    cat "$file.signlog" >&2; rm -f "$file.signed" "$file.signlog"
    echo "sign: $file could not be signed" >&2
    exit 1
  fi
  rm -f "$file.signlog"
  mv -f "$file.signed" "$file"
done

#!/usr/bin/env bash
# Makes a throw-away certificate authority and a code signing certificate under it, for
# trying and testing the signing of the Windows programs (nothing outside trusts them):
#
#   scripts/throwaway-signing-ca.sh DIR
#
# DIR/ca.pem: the CA certificate (osslsigncode verify -CAfile DIR/ca.pem ...);
# DIR/sign.pfx and DIR/sign.pass: TAVRIX_SIGN_PFX and TAVRIX_SIGN_PASS_FILE.
set -euo pipefail
dir=${1:?usage: $0 DIR}
mkdir -p "$dir"
cd "$dir"
umask 077
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 \
  -subj "/CN=Tavrix throw-away test CA" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout sign.key -out sign.csr -subj "/CN=Tavrix test signer" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >sign.ext
openssl x509 -req -in sign.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out sign.pem -days 30 \
  -extfile sign.ext 2>/dev/null
openssl rand -hex 16 >sign.pass
openssl pkcs12 -export -out sign.pfx -inkey sign.key -in sign.pem -certfile ca.pem -passout file:sign.pass
rm -f ca.key sign.key sign.csr sign.ext ca.srl

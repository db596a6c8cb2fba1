#!/usr/bin/env bash
# Signs copies of the programs the signature tests run, with a throw-away code-signing CA (which
# the tests trust in the Wine prefix only) and one that nobody trusts.
# Usage: sign_programs.sh <out> <app> <next app> <setup stand-in>
# Writes <out>/ca.crt and:
#   app/Stormline_VN.exe    the program, signed by "Stormline Test Publisher"
#   <kind>_<signing>.exe    for kind next (the newer program) and setup (the setup stand-in):
#                           publisher (the same subject), other (another publisher), impostor (the
#                           publisher's subject from the untrusted CA), tampered (signed, then one
#                           byte changed) and unsigned
set -euo pipefail
out=$1 app=$2 next=$3 setup=$4
rm -rf "$out" && mkdir -p "$out" && cd "$out"

authority() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=$2" -keyout "$1.key" -out "$1.crt" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}
signer() {  # name subject authority
  openssl req -newkey rsa:2048 -nodes -subj "$2" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  printf 'extendedKeyUsage=codeSigning\nkeyUsage=critical,digitalSignature\n' > "$1.cnf"
  openssl x509 -req -in "$1.csr" -CA "$3.crt" -CAkey "$3.key" -CAcreateserial -days 30 -extfile "$1.cnf" \
    -out "$1.crt" 2>/dev/null
}
sign() {  # signer in out
  osslsigncode sign -certs "$1.crt" -key "$1.key" -n "Stormline" -in "$2" -out "$3" >/dev/null
}

authority ca "Stormline Test Signing CA"
authority untrusted "Stormline Untrusted CA"
publisher="/O=Stormline Test/CN=Stormline Test Publisher"
signer publisher "$publisher" ca
signer other "/O=Other/CN=Other Publisher" ca
signer impostor "$publisher" untrusted

mkdir -p app && sign publisher "$app" app/Stormline_VN.exe
for kind in next setup; do
  source=$next
  [ "$kind" = setup ] && source=$setup
  for who in publisher other impostor; do sign "$who" "$source" "${kind}_$who.exe"; done
  cp "${kind}_publisher.exe" "${kind}_tampered.exe"
  # One byte in the middle of the image: the signed hash no longer matches.
  size=$(stat -c %s "${kind}_tampered.exe")
  printf '\x5a' | dd of="${kind}_tampered.exe" bs=1 seek=$((size / 2)) conv=notrunc 2>/dev/null
  cp "$source" "${kind}_unsigned.exe"
done

#!/usr/bin/env bash
# Starts or stops the tracking test server (tracking_server.py) in <dir>, with a certificate for
# "localhost" and 127.0.0.1 from a throw-away CA made here (<dir>/tls/ca.crt, for the tests to trust).
# Usage: tracking.sh start|stop <dir>. Port 443 is fixed by the program, so this needs root.
set -euo pipefail
dir=$(realpath -m "$2")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

stop() {
  [ -f "$dir/server.pid" ] && kill "$(cat "$dir/server.pid")" 2>/dev/null
  rm -f "$dir/server.pid" "$dir/ready"
}

case $1 in
  stop) stop; exit 0 ;;
  start) stop || true ;;
  *) echo "usage: $0 start|stop <dir>" >&2; exit 2 ;;
esac

rm -rf "$dir" && mkdir -p "$dir/tls"
tls=$dir/tls
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Stormline Tracking Test CA" \
  -keyout "$tls/ca.key" -out "$tls/ca.crt" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$tls/server.key" -out "$tls/server.csr" 2>/dev/null
# Wine's name check reads DNS names only, so 127.0.0.1 is listed as one too.
printf 'subjectAltName=DNS:localhost,IP:127.0.0.1,DNS:127.0.0.1\nextendedKeyUsage=serverAuth\n' > "$tls/ext.cnf"
openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.crt" -CAkey "$tls/ca.key" -CAcreateserial -days 30 \
  -extfile "$tls/ext.cnf" -out "$tls/server.crt" 2>/dev/null

setsid python3 "$here/tracking_server.py" "$dir" "$tls/server.crt" "$tls/server.key" > "$dir/server.log" 2>&1 < /dev/null &
echo $! > "$dir/server.pid"
for _ in $(seq 50); do [ -e "$dir/ready" ] && break; sleep 0.1; done
if [ ! -e "$dir/ready" ]; then
  cat "$dir/server.log" >&2
  stop
  exit 1
fi
echo "tracking server: https://127.0.0.1:443 in $dir"

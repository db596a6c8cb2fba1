#!/usr/bin/env bash
# Starts the test servers on loopback: nginx serving <dir>/www (http, and https with a certificate
# from a throw-away CA made here), and the fault-injecting server. Writes <dir>/servers.env.
# Usage: start.sh <dir> [http-port https-port]; free ports are chosen when none are given.
# SL_LIMIT_RATE (nginx's limit_rate, "4m" say) slows every answer down, for demonstrations and
# benchmarks.
set -euo pipefail
dir=$(realpath -m "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$here/stop.sh" "$dir" || true
mkdir -p "$dir/www" "$dir/tmp" "$dir/tls"

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
http_port=${2:-$(free_port)}
https_port=${3:-$(free_port)}

# A CA made for this run. The server certificate names a CRL that nginx serves, because WinINet
# checks revocation and refuses a certificate whose status it cannot learn.
tls=$dir/tls
rm -rf "$tls" && mkdir -p "$tls" && touch "$tls/index.txt" && echo 1000 > "$tls/crlnumber"
cat > "$tls/ca.cnf" <<CNF
[ca]
default_ca = test_ca
[test_ca]
database = $tls/index.txt
crlnumber = $tls/crlnumber
default_md = sha256
default_crl_days = 30
CNF
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Stormline Test CA" \
  -keyout "$tls/ca.key" -out "$tls/ca.crt" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$tls/server.key" -out "$tls/server.csr" 2>/dev/null
printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\nextendedKeyUsage=serverAuth\ncrlDistributionPoints=URI:http://127.0.0.1:%s/ca.crl\n' \
  "$http_port" > "$tls/ext.cnf"
openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.crt" -CAkey "$tls/ca.key" -CAcreateserial -days 30 \
  -extfile "$tls/ext.cnf" -out "$tls/server.crt" 2>/dev/null
openssl ca -config "$tls/ca.cnf" -gencrl -keyfile "$tls/ca.key" -cert "$tls/ca.crt" -out "$tls/ca.crl.pem" 2>/dev/null
openssl crl -in "$tls/ca.crl.pem" -outform DER -out "$dir/www/ca.crl"

cat > "$dir/nginx.conf" <<CONF
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 64; }
http {
  log_format sl '\$request_uri|\$status|\$http_range|\$body_bytes_sent';
  access_log $dir/access.log sl;
  client_body_temp_path $dir/tmp;
  proxy_temp_path $dir/tmp;
  fastcgi_temp_path $dir/tmp;
  uwsgi_temp_path $dir/tmp;
  scgi_temp_path $dir/tmp;
  default_type application/octet-stream;
  sendfile on;
  limit_rate ${SL_LIMIT_RATE:-0};
  # A throttled answer in small pieces, as a slow link delivers it, not in large bursts.
  ${SL_LIMIT_RATE:+sendfile_max_chunk 16k;}
  server {
    listen 127.0.0.1:$http_port;
    root $dir/www;
  }
  server {
    listen 127.0.0.1:$https_port ssl;
    access_log $dir/access-tls.log sl;
    ssl_certificate $dir/tls/server.crt;
    ssl_certificate_key $dir/tls/server.key;
    root $dir/www;
    # Redirects the program must refuse (down to clear text) or follow (to https, five hops).
    location ~ ^/to-http/(.*)\$ { return 302 http://127.0.0.1:$http_port/\$1; }
    location ~ ^/to-https/(.*)\$ { return 301 https://localhost:$https_port/\$1; }
    location ~ ^/hop6/(.*)\$ { return 307 /hop5/\$1; }
    location ~ ^/hop5/(.*)\$ { return 302 /hop4/\$1; }
    location ~ ^/hop4/(.*)\$ { return 303 /hop3/\$1; }
    location ~ ^/hop3/(.*)\$ { return 301 /hop2/\$1; }
    location ~ ^/hop2/(.*)\$ { return 308 /hop1/\$1; }
    location ~ ^/hop1/(.*)\$ { return 302 /\$1; }
    # A list and a self-update package whose addresses lead to clear text.
    location = /patch/SL_Full_777.ini { return 302 http://127.0.0.1:$http_port/patch/SL_Full_777.ini; }
    location = /launcher/Stormline_VN_1027.zip { return 302 http://127.0.0.1:$http_port/launcher/Stormline_VN_1027.zip; }
  }
}
CONF
nginx -c "$dir/nginx.conf" -p "$dir"

setsid python3 "$here/fault_server.py" "$dir/fault.port" > "$dir/fault.log" 2>&1 < /dev/null &
echo $! > "$dir/fault.pid"
for _ in $(seq 50); do [ -s "$dir/fault.port" ] && break; sleep 0.1; done

cat > "$dir/servers.env" <<ENV
http=http://127.0.0.1:$http_port
https=https://localhost:$https_port
fault=http://127.0.0.1:$(cat "$dir/fault.port")
ENV
echo "test servers: $(tr '\n' ' ' < "$dir/servers.env")"

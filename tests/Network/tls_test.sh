#!/usr/bin/env bash
# Runs the HTTPS test program against loopback servers made for the run: a test authority,
# and server certificates from it for 127.0.0.1, for another host name, and out of date,
# plus a self-signed one. The program trusts the authority while it runs.
# Usage: tls_test.sh TEST_EXE
set -euo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d)
server_pid=
cleanup() {
  [[ -z $server_pid ]] || kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

# A minimal authority: `openssl ca` is what can issue a certificate valid in the past.
cat >ca.cnf <<'EOF'
[ ca ]
default_ca = test_ca
[ test_ca ]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any
unique_subject = no
[ any ]
commonName = supplied
EOF
touch index.txt
echo 01 >serial
quiet() { "$@" >>openssl.log 2>&1 || { cat openssl.log >&2; exit 1; }; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Snapferry Test Authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign"
quiet openssl x509 -in ca.pem -outform DER -out ca.der

issue() {  # name common-name subject-alt-names from until
  printf '[v3]\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=%s\n' "$3" >"$1.ext"
  quiet openssl req -new -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$2"
  quiet openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in "$1.csr" -out "$1.pem" -notext \
    -startdate "$4" -enddate "$5" -extfile "$1.ext" -extensions v3
}
from=$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)
until=$(date -u -d '+2 days' +%Y%m%d%H%M%SZ)
issue trusted 127.0.0.1 "DNS:127.0.0.1,IP:127.0.0.1" "$from" "$until"
issue othername upload.example.com "DNS:upload.example.com" "$from" "$until"
issue expired 127.0.0.1 "DNS:127.0.0.1,IP:127.0.0.1" 20200101000000Z 20210101000000Z
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout selfsigned.key -out selfsigned.pem -days 2 -subj "/CN=127.0.0.1" \
  -addext "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1"

names=(trusted othername expired selfsigned)
/usr/bin/python3 "$root/tests/Network/tls_server.py" "$work" "${names[@]}" >ports 2>server.log &
server_pid=$!
for _ in $(seq 100); do
  [[ $(wc -l <ports) -eq ${#names[@]} ]] && break
  kill -0 "$server_pid" 2>/dev/null || { cat server.log >&2; exit 1; }
  sleep 0.1
done
[[ $(wc -l <ports) -eq ${#names[@]} ]] || { echo "the TLS server did not start" >&2; exit 1; }

# Wine passes the environment on; Z: is the Linux root.
export SF_TLS_AUTHORITY="Z:$work/ca.der"
while read -r name port; do export "SF_TLS_PORT_${name^^}=$port"; done <ports
"$root/scripts/wine-run" "$exe"

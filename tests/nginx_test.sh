#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The nginx example (dist/nginx/grumboldx-server.conf) in front of a real server: nginx accepts
# the example (nginx -t), honest games uploaded over HTTPS through it are all verified, /health
# answers through it, a body over its limit is refused by nginx before the server sees it, and
# plain HTTP is sent to HTTPS. nginx runs as this user from a scratch folder with a throwaway
# certificate; the example is used as it stands, with only the ports and the certificate paths
# changed.
#   nginx_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
nginx=$(command -v nginx || echo /usr/sbin/nginx)
scratch=$(mktemp -d)
server_pid=
nginx_pid=
cleanup() {
  [[ -n "$nginx_pid" ]] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "nginx_test: $*" >&2
  [[ -f "$scratch/error.log" ]] && tail -n 20 "$scratch/error.log" >&2
  exit 1
}
[[ -x "$nginx" ]] || fail "nginx is not installed (scripts/packages/test.txt)"

# A port nothing listens on (ss comes with iproute2, which nginx needs).
free_port() {
  local p
  for _ in $(seq 50); do
    p=$((20000 + RANDOM % 40000))
    [[ -z "$(ss -Htln "sport = :$p")" ]] && { echo "$p"; return; }
  done
  fail "no free port"
}

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 -subj /CN=localhost \
  -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" -keyout "$scratch/key.pem" -out "$scratch/cert.pem" \
  2> /dev/null || fail "openssl could not make a certificate"

"$build/bin/grumboldx-server" --port 0 --port-file "$scratch/server_port" --listen 127.0.0.1 \
  --db "$scratch/h.db" --rate 0 --per-address 4096 --render-workers 0 2> "$scratch/server.log" &
server_pid=$!

tls=$(free_port)
plain=$(free_port)
sed -e "s|listen 443 ssl;|listen 127.0.0.1:$tls ssl;|" -e "s|listen 80;|listen 127.0.0.1:$plain;|" \
  -e '/listen \[::\]/d' \
  -e "s|ssl_certificate .*;|ssl_certificate $scratch/cert.pem;|" \
  -e "s|ssl_certificate_key .*;|ssl_certificate_key $scratch/key.pem;|" \
  "$top/dist/nginx/grumboldx-server.conf" > "$scratch/site.conf"
mkdir "$scratch/temp"
{
  # As root the workers would turn into nobody, who may not write the scratch folder.
  [[ $(id -u) -eq 0 ]] && echo "user root;"
  cat <<EOF
worker_processes 1;
pid $scratch/nginx.pid;
error_log $scratch/error.log;
events { worker_connections 64; }
http {
  access_log $scratch/access.log;
  client_body_temp_path $scratch/temp/body;
  proxy_temp_path $scratch/temp/proxy;
  fastcgi_temp_path $scratch/temp/fastcgi;
  uwsgi_temp_path $scratch/temp/uwsgi;
  scgi_temp_path $scratch/temp/scgi;
  include $scratch/site.conf;
}
EOF
} > "$scratch/nginx.conf"

for _ in $(seq 200); do [[ -s "$scratch/server_port" ]] && break; sleep 0.05; done
[[ -s "$scratch/server_port" ]] || fail "the server did not start: $(cat "$scratch/server.log")"
sed -i "s|127.0.0.1:8642|127.0.0.1:$(cat "$scratch/server_port")|" "$scratch/site.conf"
grep -q "proxy_pass http://127.0.0.1:$(cat "$scratch/server_port");" "$scratch/site.conf" ||
  fail "the example proxies to no 127.0.0.1:8642"

"$nginx" -t -p "$scratch" -e "$scratch/error.log" -c "$scratch/nginx.conf" 2> "$scratch/check.log" ||
  fail "nginx -t refused the example: $(cat "$scratch/check.log")"
"$nginx" -p "$scratch" -e "$scratch/error.log" -c "$scratch/nginx.conf" -g "daemon off;" &
nginx_pid=$!
for _ in $(seq 100); do [[ -n "$(ss -Htln "sport = :$tls")" ]] && break; sleep 0.05; done
kill -0 "$nginx_pid" 2>/dev/null || fail "nginx did not start"

https=https://127.0.0.1:$tls
curl_tls=(curl -s --max-time 20 --cacert "$scratch/cert.pem")
health=$("${curl_tls[@]}" "$https/health")
grep -q '"status":"ok"' <<< "$health" || fail "health through nginx: $health"
grep -q '"editions":\["XS","XL","XXL"\]' <<< "$health" || fail "the server misses editions: $health"

# Honest games over HTTPS, the certificate checked against the throwaway one.
games=8
SSL_CERT_FILE=$scratch/cert.pem "$build/bin/server_load" --server "$https" --games $games --clients 2 \
  > "$scratch/load.out" 2> "$scratch/load.err" || fail "server_load failed: $(cat "$scratch/load.err")"
! grep -q "not verified" "$scratch/load.err" || fail "uploads through nginx were refused: $(cat "$scratch/load.err")"
health=$("${curl_tls[@]}" "$https/health")
grep -q "\"uploads\":$games,\"verified\":$games," <<< "$health" ||
  fail "not every game reached the server and was verified: $health"

# A body past client_max_body_size: 413 from nginx, and the server sees no request.
head -c $((2 * 1024 * 1024 + 1)) /dev/zero > "$scratch/big"
code=$("${curl_tls[@]}" -o /dev/null -w '%{http_code}' -H 'Content-Type: application/x-www-form-urlencoded' \
  --data-binary @"$scratch/big" "$https/qzt/uploadhandler.php")
[[ "$code" == 413 ]] || fail "a body over 2 MiB got $code, not 413"
grep -q "client intended to send too large body" "$scratch/error.log" ||
  fail "the oversized body was not refused by nginx itself"

# Plain HTTP: sent to HTTPS with method and body kept.
location=$(curl -s --max-time 5 -o /dev/null -w '%{http_code} %{redirect_url}' "http://127.0.0.1:$plain/list/xl")
[[ "$location" == "308 https://127.0.0.1/list/xl" ]] || fail "plain HTTP answered: $location"

echo "nginx_test: ok ($games games verified through nginx over HTTPS)"

#!/usr/bin/env bash
# Local web servers for the web client's Windows tests, on 127.0.0.1 only, from port P
# (VORN_WEB_PORT, 14380 unless set; the tests read the same variable):
#   P plain files (python's http.server), P+1 hard cases and P+4 request capture
#   (web_server.py), P+2 tinyproxy, P+3 nginx with Basic authorisation on /private/, P+5
#   answers against the rules (hostile_server.py).
# web.sh start|stop [owner]; idempotent and quiet. Several runs may share the servers of one P:
# each names itself (a process id) and the last one to stop stops them. A server that cannot
# start is left out: its tests skip.
set -u
here=$(cd "$(dirname "$0")" && pwd)
base=${VORN_WEB_PORT:-14380}
state=/tmp/vorn-web-servers
[ "$base" = 14380 ] || state=/tmp/vorn-web-servers-$base
py=/usr/bin/python3
[ -x "$py" ] || py=python3

running() { [ -f "$state/$1.pid" ] && kill -0 "$(cat "$state/$1.pid")" 2>/dev/null; }

# Another run (a live process other than this owner) holds the servers.
others_running() {
  for u in "$state"/users/*; do
    [ -e "$u" ] || continue
    [ "$(basename "$u")" = "$owner" ] && continue
    kill -0 "$(basename "$u")" 2>/dev/null && return 0
  done
  return 1
}

stop() {
  rm -f "$state/users/$owner"
  for u in "$state"/users/*; do
    [ -e "$u" ] && kill -0 "$(basename "$u")" 2>/dev/null && return 0
    rm -f "$u"
  done
  for n in files handler hostile tinyproxy; do
    if running "$n"; then kill "$(cat "$state/$n.pid")" 2>/dev/null; fi
    rm -f "$state/$n.pid"
  done
  if [ -f "$state/nginx.pid" ]; then kill "$(cat "$state/nginx.pid")" 2>/dev/null; rm -f "$state/nginx.pid"; fi
  return 0
}

start() {
  mkdir -p "$state/users"
  [ "$owner" != 0 ] && : >"$state/users/$owner"
  mkdir -p "$state/www/private" "$state/www/sub" "$state/nginx"
  chmod 755 "$state" "$state/www" "$state/www/private" "$state/www/sub"
  printf 'j_(1,"From the web",1,0,0,3,0,161,20,1,0,0,"")\r\nj_(2,"Second",2,100,50,3,0,161,20,1,0,0,"")\r\np_(350,20110)\r\n' >"$state/www/doc.vrn"
  cp "$state/www/doc.vrn" "$state/www/private/doc.vrn"
  cp "$state/www/doc.vrn" "$state/www/sub/page.vrn"
  # Actions of a web document: a neighbour named relatively, and a program.
  printf 'j_(1,"Next page",1,0,0,3,6,161,20,1,0,0,"sub\\\\page.vrn")\r\nj_(2,"Run it",1,200,0,3,8,161,20,1,0,0,"winver.exe")\r\np_(350,20110)\r\n' >"$state/www/actions.vrn"
  printf 'plain text from the web\r\n' >"$state/www/sub/notes.txt"
  chmod 644 "$state/www"/*.vrn "$state/www"/*/*

  if ! running files; then
    (cd "$state/www" && exec setsid "$py" -m http.server "$base" --bind 127.0.0.1 >/dev/null 2>&1) &
    echo $! >"$state/files.pid"
  fi
  # A Python server started from an older script is replaced when no other run is using it.
  start_py() {  # name script args...
    local name=$1 script=$2 version
    shift 2
    version=$(md5sum <"$here/$script" | cut -c1-32)
    if running "$name" && [ "$(cat "$state/$name.version" 2>/dev/null)" != "$version" ] && ! others_running; then
      kill "$(cat "$state/$name.pid")" 2>/dev/null
      for _ in $(seq 30); do running "$name" || break; sleep 0.1; done
    fi
    if ! running "$name"; then
      setsid "$py" "$here/$script" "$@" >/dev/null 2>&1 &
      echo $! >"$state/$name.pid"
      echo "$version" >"$state/$name.version"
    fi
  }
  start_py handler web_server.py "$state/www" $((base + 1)) $((base + 4))
  start_py hostile hostile_server.py "$state/www" $((base + 5))
  if ! running tinyproxy && command -v tinyproxy >/dev/null; then
    cat >"$state/tinyproxy.conf" <<EOF
Port $((base + 2))
Listen 127.0.0.1
Timeout 30
Allow 127.0.0.1
MaxClients 20
LogLevel Critical
EOF
    setsid tinyproxy -d -c "$state/tinyproxy.conf" >/dev/null 2>&1 &
    echo $! >"$state/tinyproxy.pid"
  fi
  nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
  if ! { [ -f "$state/nginx.pid" ] && kill -0 "$(cat "$state/nginx.pid")" 2>/dev/null; } && [ -x "$nginx_bin" ] \
     && command -v openssl >/dev/null; then
    printf 'alice:%s\n' "$(openssl passwd -apr1 secret)" >"$state/htpasswd"
    chmod 644 "$state/htpasswd"
    cat >"$state/nginx.conf" <<EOF
worker_processes 1;
pid $state/nginx.pid;
error_log $state/nginx/error.log crit;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $state/nginx/body;
  proxy_temp_path $state/nginx/proxy;
  fastcgi_temp_path $state/nginx/fastcgi;
  uwsgi_temp_path $state/nginx/uwsgi;
  scgi_temp_path $state/nginx/scgi;
  server {
    listen 127.0.0.1:$((base + 3));
    root $state/www;
    location /private/ { auth_basic "vorn"; auth_basic_user_file $state/htpasswd; }
    location = /moved { return 302 /sub/page.vrn; }
  }
}
EOF
    "$nginx_bin" -c "$state/nginx.conf" -p "$state/nginx" >/dev/null 2>&1 || true
  fi
  # Ready when they answer.
  for _ in $(seq 50); do
    if "$py" - "$base" <<'EOF' 2>/dev/null; then break; fi
import socket, sys
base = int(sys.argv[1])
for p in (base, base + 1, base + 5):
    socket.create_connection(("127.0.0.1", p), timeout=0.2).close()
EOF
    sleep 0.1
  done
  return 0
}

owner=${2:-0}
case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac

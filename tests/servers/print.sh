#!/usr/bin/env bash
# A PDF printer for the printing tests: cupsd with a cups-pdf queue "VornPDF" as the default
# printer; every job lands as a PDF in /tmp/vorn-print/pdf. Idempotent and quiet:
#   tests/servers/print.sh start|stop
# Without cupsd or cups-pdf it does nothing, and the printing tests skip.
set -u
state=/tmp/vorn-print
out=$state/pdf
queue=VornPDF
# Several test runs may share the server: each caller (the parent process) holds a mark, and
# the last one out stops what a start here began.
users=$state/users
prune() {
  for m in "$users"/*; do
    [ -e "$m" ] || continue
    kill -0 "${m##*/}" 2>/dev/null || rm -f "$m"
  done
}
case "${1:-}" in
start)
  [ -x /usr/sbin/cupsd ] && [ -e /usr/lib/cups/backend/cups-pdf ] || exit 0
  mkdir -p "$out" "$users"
  touch "$users/$PPID"
  # The queue's own settings (the backend reads cups-pdf-<name>.conf for device cups-pdf:/<name>).
  cat > /etc/cups/cups-pdf-vorn.conf <<CONF
Out $out
AnonDirName $out
Label 2
Grp root
CONF
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    mkdir -p /run/cups
    nohup /usr/sbin/cupsd -f >/dev/null 2>&1 &
    echo $! > "$state/cupsd.pid"
    for _ in $(seq 1 50); do
      lpstat -r 2>/dev/null | grep -q "is running" && break
      sleep 0.2
    done
  fi
  ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
  lpadmin -p "$queue" -E -v cups-pdf:/vorn -P "$ppd" >/dev/null 2>&1 || true
  lpadmin -d "$queue" >/dev/null 2>&1 || true
  ;;
stop)
  rm -f "$users/$PPID"
  prune
  [ -n "$(ls -A "$users" 2>/dev/null)" ] && exit 0
  if [ -f "$state/cupsd.pid" ]; then
    kill "$(cat "$state/cupsd.pid")" 2>/dev/null || true
    rm -f "$state/cupsd.pid"
  fi
  ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
exit 0

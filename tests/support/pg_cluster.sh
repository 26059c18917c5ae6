#!/usr/bin/env bash
# Starts or stops a throwaway PostgreSQL cluster on 127.0.0.1 for the tests.
#   pg_cluster.sh start STATE_DIR   writes STATE_DIR/port, or STATE_DIR/skip with the reason
#   pg_cluster.sh stop STATE_DIR
# As root the server runs as the unprivileged user postgres; otherwise as the calling user.
set -u
action=${1:?start or stop}
state=${2:?state folder}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
run() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$action" in
start)
  rm -rf "$state"
  mkdir -p "$state"
  if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
    echo "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)" > "$state/skip"
    echo "PostgreSQL not installed: its tests will skip"
    exit 0
  fi
  if [ "$(id -u)" = 0 ]; then
    if ! id postgres >/dev/null 2>&1; then
      echo "no postgres user to run the server as" > "$state/skip"; exit 0
    fi
    chown postgres "$state"
    chmod 755 "$state"
  fi
  # A free port: ask the kernel for one that nothing listens on.
  port=""
  for p in $(shuf -i 20000-60000 -n 50); do
    if ! (exec 3<>/dev/tcp/127.0.0.1/$p) 2>/dev/null; then port=$p; break; fi
  done
  [ -n "$port" ] || { echo "no free port" > "$state/skip"; exit 1; }
  run "$bindir/initdb" -D "$state/data" -E UTF8 --locale=C.UTF-8 -A trust -U postgres >"$state/initdb.log" 2>&1 \
    || { cat "$state/initdb.log"; echo "initdb failed" > "$state/skip"; exit 1; }
  cat >> "$state/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$state'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 50
shared_buffers = 256MB
CONF
  run "$bindir/pg_ctl" -D "$state/data" -l "$state/server.log" -w -t 60 start >/dev/null \
    || { cat "$state/server.log"; echo "the server did not start" > "$state/skip"; exit 1; }
  echo "$port" > "$state/port"
  echo "PostgreSQL test cluster on 127.0.0.1:$port"
  ;;
stop)
  if [ -f "$state/data/postmaster.pid" ] && [ -n "$bindir" ]; then
    run "$bindir/pg_ctl" -D "$state/data" -m fast -w stop >/dev/null || true
  fi
  rm -f "$state/port"
  echo "PostgreSQL test cluster stopped"
  ;;
*)
  echo "usage: $0 start|stop STATE_DIR" >&2; exit 2 ;;
esac

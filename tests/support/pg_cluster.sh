#!/usr/bin/env bash
# Starts or stops a throwaway PostgreSQL cluster on 127.0.0.1 for the tests.
#   pg_cluster.sh start STATE_DIR   writes STATE_DIR/port, or STATE_DIR/skip with the reason
#   pg_cluster.sh stop STATE_DIR
# As root the server runs as the unprivileged user postgres; otherwise as the calling user. When
# that user cannot reach STATE_DIR (a checkout under /root, say), the cluster lives in a folder of
# its own under /tmp, named in STATE_DIR/cluster.
# A free port is picked at random, so a cluster of the system on 5432 (or another test run) is
# never disturbed.
set -u
action=${1:?start or stop}
state=$(realpath -m "${2:?state folder}")

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
as_root=false
[ "$(id -u)" = 0 ] && as_root=true

# Runs a command as the server's user, from a folder that user may enter.
run() {
  if $as_root; then (cd / && runuser -u postgres -- "$@"); else "$@"; fi
}

# The folder of the running or last cluster, if any.
cluster_dir() {
  if [ -f "$state/cluster" ]; then cat "$state/cluster"; else echo "$state"; fi
}

stop_cluster() {
  local dir
  dir=$(cluster_dir)
  if [ -n "$bindir" ] && [ -f "$dir/data/postmaster.pid" ]; then
    run "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >/dev/null 2>&1 || true
  fi
  if [ "$dir" != "$state" ] && [ -d "$dir" ]; then
    case "$dir" in /tmp/orvane-pg.*) rm -rf "$dir" ;; esac
  fi
}

case "$action" in
start)
  # A cluster left running by an interrupted run is stopped first.
  [ -d "$state" ] && stop_cluster
  rm -rf "$state"
  mkdir -p "$state"
  if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
    echo "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)" > "$state/skip"
    echo "PostgreSQL not installed: its tests will skip"
    exit 0
  fi
  dir=$state
  if $as_root; then
    if ! id postgres >/dev/null 2>&1; then
      echo "no postgres user to run the server as" > "$state/skip"
      echo "no postgres user: PostgreSQL tests will skip"
      exit 0
    fi
    chown postgres "$state"
    chmod 755 "$state"
    if ! run test -w "$state"; then
      dir=$(mktemp -d /tmp/orvane-pg.XXXXXX)
      chown postgres "$dir"
      chmod 755 "$dir"
      echo "$dir" > "$state/cluster"
    fi
  fi
  # A free port: one that nothing on loopback answers on.
  port=""
  for p in $(shuf -i 20000-60000 -n 50); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then port=$p; break; fi
  done
  if [ -z "$port" ]; then
    echo "no free port" > "$state/skip"
    echo "no free port found" >&2
    exit 1
  fi
  if ! run "$bindir/initdb" -D "$dir/data" -E UTF8 --locale=C.UTF-8 -A trust -U postgres >"$state/initdb.log" 2>&1; then
    cat "$state/initdb.log"
    echo "initdb failed" > "$state/skip"
    exit 1
  fi
  cat >> "$dir/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$dir'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 50
shared_buffers = 256MB
CONF
  if ! run "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start >/dev/null; then
    cat "$dir/server.log" 2>/dev/null
    echo "the server did not start" > "$state/skip"
    exit 1
  fi
  echo "$port" > "$state/port"
  echo "PostgreSQL test cluster on 127.0.0.1:$port ($dir)"
  ;;
stop)
  stop_cluster
  rm -f "$state/port"
  echo "PostgreSQL test cluster stopped"
  ;;
*)
  echo "usage: $0 start|stop STATE_DIR" >&2
  exit 2
  ;;
esac

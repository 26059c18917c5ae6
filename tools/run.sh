#!/usr/bin/env bash
# Builds Orvane (installing what it needs), prepares the database when there is none, and starts
# the program. A first run writes build/bin/Account.Ini for the embedded engine (SQLite file
# orvane.db beside the program) and initialises it: log in as Admin with an empty password.
# Without a display (no DISPLAY), Orvane runs on a virtual X display (Xvfb) whose number is printed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$root/build}
bin=$build/bin

bash "$root/tools/build.sh"
[ -x "$bin/orvane" ] || { echo "build/bin/orvane was not built" >&2; exit 1; }
[ -n "${LANG:-}${LC_ALL:-}" ] || export LANG=C.UTF-8

ini=$bin/Account.Ini
if [ ! -f "$ini" ]; then
  printf '[Pellacor]\r\nEngine=sqlite\r\nServerName=.\r\nDataBase=orvane.db\r\nDBLogon=\r\nLogonPass=\r\n' > "$ini"
  echo "== wrote $ini (SQLite, orvane.db)"
fi
# Prepares the database Account.Ini names; status 5 means it was prepared before.
status=0
message=$("$bin/orvane-db" --ini "$ini" init 2>&1) || status=$?
if [ "$status" -eq 0 ]; then
  echo "$message"
elif [ "$status" -ne 5 ]; then
  echo "$message" >&2
  echo "the database could not be prepared (orvane-db status $status)" >&2
  exit "$status"
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/orvane"
fi
# No display: a virtual one, kept for as long as Orvane runs.
n=99
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$n" ] || { echo "the virtual display :$n (Xvfb) did not start" >&2; exit 1; }
export DISPLAY=:$n
echo "== Orvane runs on the virtual display $DISPLAY (Xvfb); it ends when Orvane is closed"
"$bin/orvane"

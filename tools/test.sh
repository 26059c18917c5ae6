#!/usr/bin/env bash
# Builds Orvane (installing what it needs) and runs the whole test suite, both engines: CTest starts
# a throwaway PostgreSQL cluster on a free loopback port for the PostgreSQL tests and stops it after.
# Extra arguments go to ctest (e.g. -R tst_schema).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$root/build}
bash "$root/tools/build.sh"
echo "== running the tests"
cd "$build"
ctest --output-on-failure -j2 "$@"

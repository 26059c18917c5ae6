#!/usr/bin/env bash
# Installs what Orvane needs on Debian 12 (the packages in tools/debian-packages.txt, when any is
# missing) and builds everything in build/ with Ninja. Runs unattended: no questions, no stdin.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$root/build}

read -r -a packages <<< "$(sed 's/#.*//' "$root/tools/debian-packages.txt" | tr '\n' ' ')"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing: ${missing[*]}"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Orvane needs these packages, and only root can install them: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold "${missing[@]}" </dev/null
fi

echo "== configuring and building in $build"
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build"
else
  cmake -S "$root" -B "$build" -G Ninja
fi
cmake --build "$build" -j2

#!/usr/bin/env bash
# Installs every Debian package that building and testing Lumora needs.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

native_pkgs=(cmake ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev
             libssl-dev libpugixml-dev librapidxml-dev)
cross_pkgs=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
            wine wine32:i386 wine64 libwine-dev libwine:i386 xvfb xauth imagemagick)

missing=()
for p in "${native_pkgs[@]}" "${cross_pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and nothing when it is all there.
# Usage: scripts/deps.sh [native|windows]   (default: windows, which includes native)
set -euo pipefail
want=${1:-windows}

packages=(cmake g++ make libgtest-dev)
if [[ $want == windows ]]; then
  packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
             wine wine32:i386 wine64)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if (( EUID != 0 )); then
  echo "missing packages: ${missing[*]}; run this script as root to install them" >&2
  exit 1
fi
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

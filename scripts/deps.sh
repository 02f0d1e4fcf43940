#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and any packages named
# as arguments, and does nothing when it is all there. As root it installs; otherwise it
# names what is missing and fails.
set -euo pipefail

packages=(cmake make g++ libgtest-dev googletest
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine32:i386 wine64 "$@")

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$package")
done
(( ${#missing[@]} == 0 )) && exit 0

if (( EUID != 0 )); then
  echo "deps.sh: missing packages: ${missing[*]}; run scripts/deps.sh as root to install them" >&2
  exit 1
fi
echo "deps.sh: installing ${missing[*]}"
# Wine's 32-bit half comes from the i386 architecture.
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

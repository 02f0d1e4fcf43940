#!/usr/bin/env bash
# Shows the program at work: builds the 32-bit program, plants a sample infection in a
# throwaway 32-bit Wine prefix, and shows the registry before and after a run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

echo "== building the 32-bit program"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target sircam_cleanup regfixture -j "$(nproc)" >/dev/null

prefix=$PWD/build/demo/wineprefix
stop_wine() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
stop_wine
rm -rf "$(dirname "$prefix")"
echo "== making a throwaway Wine prefix in ${prefix#$PWD/} (a minute the first time)"
run() { tests/wine/wine-run.sh "$prefix" win32 "$@" | tr -d '\r'; }
fixture=build/win32/tests/wine/regfixture.exe
program=build/win32/sircam_cleanup.exe

run "$fixture" \
  key 'Software\SirCam\Config' value 'Software\SirCam\Config' 'Version' '1.1' \
  key 'Software\SirCam\Config\Mail\Outbox' value 'Software\SirCam\Config\Mail' 'Sent' '42' \
  key 'Software\SirCam\Recent\Documents' value 'Software\SirCam\Recent\Documents' 'Last' 'report.doc' \
  value 'Software\SirCam' 'Installed' 'yes' \
  key 'Software\SirCamX\Unrelated'

echo "== before: HKLM\\Software\\SirCam"
run "$fixture" dump 'Software\SirCam'

echo "== running: sircam_cleanup.exe /?"
set +e
run "$program" /?
status=${PIPESTATUS[0]}
set -e
echo "(exit status $status)"

echo "== after: reg query HKLM\\Software\\SirCam"
run cmd /c 'reg query HKLM\Software\SirCam' 2>&1 || true
echo "== after: HKLM\\Software is still there, and so is every other key"
run cmd /c 'reg query HKLM\Software'
run "$fixture" dump 'Software\SirCamX'

echo "== the program, for use on Windows: $PWD/$program"

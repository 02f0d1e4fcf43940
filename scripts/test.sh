#!/usr/bin/env bash
# Runs every test: installs what is missing, then configures, builds with warnings as
# errors and tests each preset in turn. Fails on the first failure.
#   native, native-sanitize: the program's code against the in-memory registry
#   win32, win64: the real program run on Wine's registry (win64 also runs the win32 build)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# Each Windows preset's tests leave a persistent Wine server running in its prefix.
stop_wine() {
  for prefix in build/win32/wineprefix build/win64/wineprefix; do
    [[ -d $prefix ]] && WINEPREFIX=$PWD/$prefix wineserver -k 2>/dev/null || true
  done
}
trap stop_wine EXIT

for preset in native native-sanitize win32 win64; do
  echo "== $preset"
  cmake --preset "$preset" -DSIRCAM_WERROR=ON >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" >/dev/null
  ctest --preset "$preset" -j "$(nproc)" --no-tests=error | grep -vE '^ +Start |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed '
done

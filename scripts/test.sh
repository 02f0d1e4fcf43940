#!/usr/bin/env bash
# Runs every test: installs what is missing, then builds and tests each preset with
# warnings as errors. Fails on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh native

for preset in native native-sanitize; do
  echo "== $preset"
  cmake --preset "$preset" -DSIRCAM_WERROR=ON >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" >/dev/null
  ctest --preset "$preset" -j "$(nproc)" --no-tests=error
done

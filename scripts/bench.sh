#!/usr/bin/env bash
# Benchmarks the cleanup against `reg delete /f` and a program calling RegDeleteTreeA, all
# run as processes on one Wine prefix, and counts its registry calls and stack per key.
# Writes a table here, and under build/bench/ the CSVs and a plot, time_per_key.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh gnuplot-nox
out=$PWD/build/bench
mkdir -p "$out"

echo "== building"
cmake --preset native >/dev/null
cmake --build --preset native --target count_calls >/dev/null
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" \
  --target sircam_cleanup peer_delete_tree empty_program empty_program_with_resources bench_runner >/dev/null

echo "== registry calls per key, counted with the in-memory registry"
build/native/bench/count_calls | tee "$out/calls.csv" | column -s, -t

echo "== memory"
compiler=i686-w64-mingw32-g++-posix
(cd "$out" && $compiler -std=c++17 -Os -DNDEBUG -fstack-usage -c ../../src/remove_subkeys.cpp ../../src/main.cpp)
frame=$(awk -F'\t' '/RemoveSubKeys/ { print $2 }' "$out/remove_subkeys.su")
echo "stack per level of nesting: $frame bytes (RemoveSubKeys's frame as $compiler -Os reports it), 300 levels: $((frame * 300)) bytes"
allocators=$(i686-w64-mingw32-nm -u "$out/remove_subkeys.o" "$out/main.o" \
  | grep -iE 'malloc|calloc|realloc|_Znw|_Zna|HeapAlloc|LocalAlloc|GlobalAlloc|VirtualAlloc' || true)
[[ -n $allocators ]] || allocators="none: the program's own code calls no allocator"
echo "heap: $allocators"

prefix=$out/wineprefix
stop_wine() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
stop_wine
rm -rf "$prefix"
echo "== timing on $(wine --version) in a fresh 32-bit prefix (the first start takes a minute)"
windows() { echo "Z:${1//\//\\}"; }
tests/wine/wine-run.sh "$prefix" win32 build/win32/bench/bench_runner.exe \
  "$(windows "$PWD/build/win32/sircam_cleanup.exe")" "$(windows "$PWD/build/win32/bench/peer_delete_tree.exe")" \
  "$(windows "$PWD/build/win32/bench/empty_program.exe")" \
  "$(windows "$PWD/build/win32/bench/empty_program_with_resources.exe")" \
  "$(windows "$out/runs.csv")" "$(windows "$out/summary.csv")" \
  | tr -d '\r'

echo "== targets"
awk -F, '
  function verdict(ok) { return ok ? "met" : "MISSED" }
  NR > 1 && $3 == "reg delete /f" { printf "ours/reg.exe at %s keys: %s (at most 0.8): %s\n", $2, $6, verdict($6 <= 0.8) }
  NR > 1 && $3 == "RegDeleteTree" { printf "ours/RegDeleteTree at %s keys: %s (at most 0.9): %s\n", $2, $6, verdict($6 <= 0.9) }
  NR > 1 && $3 == "sircam_cleanup" { perkey[$2] = $5 }
  NR > 1 && $3 == "empty program" { printf "start-up, ours/empty program: %s (at most 1.1): %s\n", $6, verdict($6 <= 1.1) }
  NR > 1 && $3 == "empty program with resources" { printf "  (ours/empty program with our manifest and version: %s)\n", $6 }
  END { r = perkey[11111] / perkey[1111]
        printf "time per key at 11,111 keys / at 1,111: %.3f (at most 1.3): %s\n", r, verdict(r <= 1.3) }
' "$out/summary.csv"

gnuplot <<PLOT
set terminal pngcairo size 900,560 font ",11" noenhanced
set output "$out/time_per_key.png"
set datafile separator ","
set title "Time per key deleted, $(wine --version), median of alternating rounds"
set xlabel "keys in the tree (301: a chain 300 deep; 1,111 and 11,111: 10 wide)"
set ylabel "microseconds per key, process start included"
set logscale x
set xrange [200:20000]
set yrange [0:*]
set key top right
set grid
plot for [c in "sircam_cleanup RegDeleteTree reg"] \
  "< awk -F, 'NR > 1 && \$2 > 0 && index(\$3, \"" . c . "\") == 1 { print \$2 \",\" \$5 }' $out/summary.csv | sort -n" \
  using 1:2 with linespoints lw 2 pt 7 title (c eq "reg" ? "reg delete /f" : c)
PLOT
echo "== written: $out/runs.csv, $out/summary.csv, $out/calls.csv, $out/time_per_key.png"

#!/usr/bin/env bash
# Runs the benchmarks and ends with one short table of the product's speed:
# - the native Google Benchmark program (default preset): the filter pass
#   against the in-place floor and a memcpy of the same picture, the colour
#   conversions, and Lab to sRGB against Little CMS;
# - the Win32 program (win32 preset) under wine: the real tintwell.dll's
#   PI_Work against the in-place floor, on one thread and on its workers.
# Figures are medians over interleaved repetitions, ratios taken in the same
# run. Extra arguments go to Google Benchmark (the default repeats 9 times).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
jobs="$(nproc 2>/dev/null || echo 2)"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs" --target tintwell_bench
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs" --target tintwell_win32_bench

args=("$@")
if [ ${#args[@]} -eq 0 ]; then
  args=(--benchmark_repetitions=9 --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true)
fi
native="$(mktemp)"
win32="$(mktemp)"
trap 'rm -f "$native" "$win32"' EXIT

build/default/bench/tintwell_bench "${args[@]}" | tee "$native"
echo
(cd build/win32 && WINEDEBUG=-all wine ./tintwell_win32_bench.exe 21) | tr -d '\r' | tee "$win32"

echo
echo "The product's speed: 3840x2160 premultiplied picture, 5 % transparent and 5 % partly"
echo "transparent pixels; x floor = time / the in-place floor's in the same run (goals: Win32"
echo "one thread 2.5, worker threads 1.5 of the one-thread floor in wall time, native 2)."
echo "Machine load while measuring:$(uptime | sed 's/.*load average//')"
echo
echo "| | time | x floor |"
echo "|---|---|---|"
grep -h '^TABLE ' "$win32" "$native" | sed 's/^TABLE //'

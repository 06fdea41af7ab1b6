#!/usr/bin/env bash
# Runs the benchmarks and ends with one short table of the product's speed:
# - native (default preset): the filter pass against the in-place floor and
#   a memcpy of the same picture, the colour conversions, and Lab to sRGB
#   against Little CMS; then the palette picture rebuilt as on every drag
#   event, then one SATVAL drag event against the stand-in host;
# - Win32 (win32 preset) under wine: the real tintwell.dll's PI_Work against
#   the in-place floor, on one thread and on its worker threads.
# Figures are printed with their ratios or goals from the same run; the
# filter's are medians over interleaved repetitions. Extra arguments go to
# Google Benchmark (without any, the colour benchmarks repeat 9 times,
# interleaved).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
jobs="$(nproc 2>/dev/null || echo 2)"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs" --target tintwell_bench tintwell_panel_bench tintwell_drag_bench
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs" --target tintwell_win32_bench

colourArgs=("$@")
if [ ${#colourArgs[@]} -eq 0 ]; then
  colourArgs=(--benchmark_repetitions=9 --benchmark_enable_random_interleaving=true
              --benchmark_report_aggregates_only=true)
fi
native="$(mktemp)"
win32="$(mktemp)"
trap 'rm -f "$native" "$win32"' EXIT

build/default/bench/tintwell_bench "${colourArgs[@]}" | tee "$native"
build/default/bench/tintwell_panel_bench "$@"
build/default/bench/tintwell_drag_bench "$@"
echo
(cd build/win32 && WINEDEBUG=-all wine ./tintwell_win32_bench.exe 21) | tr -d '\r' | tee "$win32"

echo
echo "The product's speed: 3840x2160 premultiplied picture, 5 % transparent and 5 % partly"
echo "transparent pixels; x floor = time / the in-place floor's in the same run (goals: Win32"
echo "one thread 2.5, worker threads 1.5 of the one-thread floor in wall time, native 2)."
echo "Machine load (1, 5, 15 minutes) at the end: $(uptime | sed 's/.*load average: //')"
echo
echo "| | time | x floor |"
echo "|---|---|---|"
grep -h '^TABLE ' "$win32" "$native" | sed 's/^TABLE //'

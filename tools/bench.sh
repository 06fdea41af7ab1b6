#!/usr/bin/env bash
# Runs the benchmarks and ends with one table of the product's speed, every
# goal with its figure and ratio from the same run:
# - native (default preset): the filter pass against the in-place floor and
#   a memcpy of the same picture, the colour conversions, and Lab to sRGB
#   against Little CMS; the palette picture rebuilt as on every drag event;
#   one SATVAL drag event against the stand-in host, its plug-in share (the
#   host's side timed and taken off) and the cold start (PI_Open + PI_Close);
# - with valgrind installed: the instructions of one drag event and of one
#   cold start, the stand-in host's share counted apart (exactly repeatable
#   on a busy machine, where the times above move with the load);
# - Win32 (win32 preset) under wine: the real tintwell.dll's PI_Work against
#   the in-place floor, on one thread and on its worker threads.
# The filter's figures are medians over interleaved repetitions. Extra
# arguments go to Google Benchmark (without any, every native benchmark
# repeats 9 times, interleaved, and reports medians).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
jobs="$(nproc 2>/dev/null || echo 2)"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs" --target tintwell_bench tintwell_panel_bench tintwell_drag_bench
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs" --target tintwell_win32_bench

args=("$@")
if [ ${#args[@]} -eq 0 ]; then
  args=(--benchmark_repetitions=9 --benchmark_enable_random_interleaving=true
        --benchmark_report_aggregates_only=true)
fi
native="$(mktemp)"
win32="$(mktemp)"
counts="$(mktemp)"
trap 'rm -f "$native" "$win32" "$counts" "$counts".*' EXIT

loadBefore="$(uptime | sed 's/.*load average: //')"
build/default/bench/tintwell_bench "${args[@]}" | tee "$native"
build/default/bench/tintwell_panel_bench "${args[@]}" | tee -a "$native"
build/default/bench/tintwell_drag_bench "${args[@]}" | tee -a "$native"

# Instructions per drag event and per cold start: callgrind counts what runs
# inside CountedDragEvents / CountedColdStarts, and inside the stand-in
# host's dispatcher among it.
if command -v valgrind >/dev/null && command -v callgrind_annotate >/dev/null; then
  events=64
  for what in DragEvents ColdStarts; do
    valgrind --tool=callgrind --callgrind-out-file="$counts.$what" --toggle-collect="*Counted$what*" \
      build/default/bench/tintwell_drag_bench --count-events=$events >/dev/null 2>&1 || true
    callgrind_annotate --inclusive=yes "$counts.$what" 2>/dev/null | awk -v what="$what" -v n="$events" '
      function number(s) { gsub(",", "", s); return s + 0 }
      /PROGRAM TOTALS/ { total = number($1) }
      # The host side: its dispatcher, less the plug-in callbacks it makes,
      # plus the host calls those make in turn.
      /simhost::SimHost::Dispatch\(PluginContext\*, int, long\*\) / && !host { host = number($1) }
      /simhost::SimHost::Impl::CallCallback\(.*\) \[/ && !callback { callback = number($1) }
      /simhost::SimHost::Dispatch\(PluginContext\*, int, long\*\)'"'"'2/ && !nested { nested = number($1) }
      /simhost::SimHost::SimHost\(|simhost::SimHost::~SimHost\(/ { setup += number($1) }
      END {
        if (total == 0) exit
        host = host - callback + nested
        label = what == "DragEvents" ? "SATVAL drag event, default models" : "cold start, PI_Open + PI_Close"
        all = (total - setup) / n; own = (total - setup - host) / n
        printf "TABLE | native: %s, instructions (callgrind) | %.0f k | plug-in %.0f k (%.0f %%), stand-in host %.0f k |\n",
               label, all / 1e3, own / 1e3, 100 * own / all, host / n / 1e3
      }' >> "$native"
  done
fi
echo
(cd build/win32 && WINEDEBUG=-all wine ./tintwell_win32_bench.exe 21) | tr -d '\r' | tee "$win32"

processor="$(lscpu 2>/dev/null | sed -n 's/^Model name: *//p' | head -1)"
avx512="no"
grep -q avx512f /proc/cpuinfo 2>/dev/null && avx512="yes"
echo
echo "The product's speed. Processor: ${processor:-unknown} ($(nproc) usable, AVX-512: $avx512)."
echo "Machine load (1, 5, 15 minutes): before $loadBefore; after $(uptime | sed 's/.*load average: //')."
echo "Filter: 3840x2160 premultiplied picture, 5 % transparent and 5 % partly transparent pixels;"
echo "x floor = time / the in-place floor's in the same run. Times are processor time, medians."
echo
echo "| | figure | ratio |"
echo "|---|---|---|"
grep -h '^TABLE ' "$win32" "$native" | sed 's/^TABLE //'

#!/usr/bin/env bash
# Runs the benchmarks (native build): the filter pass against a memcpy of
# the same picture, the colour conversions, and Lab to sRGB against Little
# CMS, then the palette picture rebuilt as on every drag event, then one
# SATVAL drag event against the stand-in host. Figures are
# printed with their ratios or goals from the same run. Extra
# arguments go to Google Benchmark (e.g. --benchmark_repetitions=5).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc 2>/dev/null || echo 2)" --target tintwell_bench tintwell_panel_bench tintwell_drag_bench
build/default/bench/tintwell_bench "$@"
build/default/bench/tintwell_panel_bench "$@"
build/default/bench/tintwell_drag_bench "$@"

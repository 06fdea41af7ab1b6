#!/usr/bin/env bash
# Runs the seeded soak of the whole plug-in (tests/unit/soak) for EVENTS
# random events under AddressSanitizer and UndefinedBehaviorSanitizer (the
# asan preset) and prints what it covered; exits non-zero on any finding.
#
#   bash tools/soak.sh EVENTS [SEED]
#
# A failure names its seed and step; the same two arguments replay it.
set -euo pipefail
cd "$(dirname "$0")/.."

events=${1:?usage: tools/soak.sh EVENTS [SEED]}
seed=${2:-20240907}

cmake --preset asan >/dev/null
cmake --build --preset asan -j"$(nproc 2>/dev/null || echo 2)" --target tintwell_tests >/dev/null
TINTWELL_SOAK_STEPS=$events TINTWELL_SOAK_SEED=$seed \
  build/asan/tintwell_tests --gtest_filter='PluginSoak.*' --gtest_brief=1

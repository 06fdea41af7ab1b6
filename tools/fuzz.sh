#!/usr/bin/env bash
# Runs every fuzz target (tests/fuzz, clang's libFuzzer with AddressSanitizer
# and UndefinedBehaviorSanitizer) for SECONDS each, starting from its seed
# corpus in tests/fuzz/corpus/ and the corpus earlier runs grew in
# build/fuzz/corpus/. Prints the executions per target; exits non-zero on any
# finding (the input that found it is kept in build/fuzz/findings/).
#
#   bash tools/fuzz.sh SECONDS [TARGET...]
#   bash tools/fuzz.sh --runs N [TARGET...]   (N executions each, no time limit)
#
# Replay a finding:  build/fuzz/fuzz/fuzz_<target> build/fuzz/findings/<file>
# (TINTWELL_FUZZ_DIALOGUE=60 also prints the last host calls).
set -euo pipefail
cd "$(dirname "$0")/.."

usage="usage: tools/fuzz.sh SECONDS [TARGET...] | tools/fuzz.sh --runs N [TARGET...]"
if [ "${1:-}" = "--runs" ]; then
  runs_wanted=${2:?$usage}
  limit=(-runs="$runs_wanted")
  shift 2
else
  seconds=${1:?$usage}
  limit=(-max_total_time="$seconds")
  shift
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=()
  for source in tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    targets+=("$name")
  done
fi

cmake --preset fuzz >/dev/null
build_targets=()
for name in "${targets[@]}"; do build_targets+=("fuzz_$name"); done
cmake --build --preset fuzz -j"$(nproc 2>/dev/null || echo 2)" --target "${build_targets[@]}" >/dev/null

# Short allocation stacks and a small quarantine keep the runs fast; replay a
# finding without them for full reports.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=4:quarantine_size_mb=32}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
mkdir -p build/fuzz/findings
failed=0
for name in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  log=build/fuzz/$name.log
  status=0
  started=$(date +%s)
  build/fuzz/fuzz/fuzz_"$name" "${limit[@]}" -timeout=30 -print_final_stats=1 \
      -artifact_prefix=build/fuzz/findings/"$name"- "$corpus" tests/fuzz/corpus/"$name" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "fuzz_$name: FINDING after ${runs:-?} executions (log $log)"
    grep -E "==FINDING==|ERROR: |runtime error|SUMMARY" "$log" | head -5 || true
  else
    seconds_taken=$(( $(date +%s) - started ))
    printf 'fuzz_%-16s %10s executions in %ss (%s per second), no finding\n' "$name" "${runs:-?}" "$seconds_taken" "${rate:-?}"
  fi
done
exit "$failed"

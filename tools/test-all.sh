#!/usr/bin/env bash
# Builds everything and runs every test: the native build, the native build
# under AddressSanitizer and UndefinedBehaviorSanitizer, a short run of every
# fuzz target, and the real 32-bit Windows DLL with its tests under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
export WINEDEBUG=-all
jobs=$(nproc 2>/dev/null || echo 2)

echo "== generated texts and artwork"
python3 tools/gen_builtin_texts.py --check
python3 tools/gen_artwork.py --check

for preset in default asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset" -j"$jobs"
done

# Every fuzz target for a few seconds (clang's libFuzzer with the
# sanitizers); tools/fuzz.sh SECONDS runs them longer.
echo "== fuzz"
bash tools/fuzz.sh 3

echo "== win32"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"
ctest --preset win32
# The release package: unpacked and checked (stripped DLL, exports, imports,
# a session and the DLL tests under wine with the packaged DLL).
echo "== package"
bash tools/package.sh
echo "All tests passed (native, sanitizers, fuzz targets, Win32 under wine)."

#!/usr/bin/env bash
# The main job: builds the real DLL and runs a short session of the plug-in
# in the stand-in host (loaded through LoadLibrary under wine), printing the
# dialogue it had with the host. Arguments go to the session program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
export WINEDEBUG=-all
log=$(mktemp)
if ! { cmake --preset win32 && cmake --build --preset win32 -j"$(nproc 2>/dev/null || echo 2)"; } >"$log" 2>&1; then
  cat "$log"
  exit 1
fi
rm -f "$log"
cd build/win32
wine ./simhost_session.exe "$@" | tr -d '\r'

#!/usr/bin/env bash
# The main job: builds the real DLL and runs a short session of the plug-in
# in the stand-in host (loaded through LoadLibrary under wine), printing the
# dialogue it had with the host. Arguments go to the session program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
export WINEDEBUG=-all
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$(nproc 2>/dev/null || echo 2)"
cd build/win32
wine ./simhost_session.exe "$@" | tr -d '\r'

#!/usr/bin/env bash
# The main job: builds the real DLL and runs a short session of the plug-in
# in the stand-in host (loaded through LoadLibrary under wine), printing the
# dialogue it had with the host; then renders the main panel in its named
# states into build/session/ as PNG files (one per state, plus the built-in
# pictures) and prints their paths. The Windows build renders the same
# states too and its picture digests must equal the native ones.
# Last, the desktop host (tintwell_desktop: the plug-in in a real window):
# started for the user when there is a display; without one, a scripted
# session of it runs under Xvfb and writes screenshots of the whole window
# into build/session/ (desktop-*.png).
# Arguments go to the session program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
export WINEDEBUG=-all
jobs=$(nproc 2>/dev/null || echo 2)
log=$(mktemp)
if ! { cmake --preset win32 && cmake --build --preset win32 -j"$jobs"; } >"$log" 2>&1; then
  cat "$log"
  exit 1
fi
(cd build/win32 && wine ./simhost_session.exe "$@" | tr -d '\r')

# The pictures: PNG files come from the native build (libpng); the Windows
# build prints the digests of the same pictures for comparison.
if ! { cmake --preset default &&
        cmake --build --preset default -j"$jobs" --target panel_pictures tintwell_desktop tintwell; } >"$log" 2>&1; then
  cat "$log"
  exit 1
fi
rm -f "$log"
# The session's folder holds what a person looks at: pictures and the
# dialogue, nothing left over from earlier runs.
rm -rf build/session
mkdir -p build/session
native=$(build/default/panel_pictures build/session)
windows=$(cd build/win32 && wine ./panel_pictures.exe . 2>/dev/null | tr -d '\r')
echo "# panel pictures (digest, file):"
echo "$native"
if [ "$(echo "$native" | cut -d' ' -f1)" = "$(echo "$windows" | cut -d' ' -f1)" ]; then
  echo "# the Windows build draws the same pictures (digests equal)"
else
  echo "# DIFFERENT pictures in the Windows build:"
  diff <(echo "$native" | cut -d' ' -f1) <(echo "$windows" | cut -d' ' -f1) || true
  exit 1
fi

# The release package an artist installs (and its check): path printed last.
echo "# the release package:"
bash tools/package.sh

# The desktop host.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "# starting the desktop host (its settings live in ~/.config/tintwell-desktop; Ctrl+Q or closing the window ends it)"
  status=0
  build/default/tintwell_desktop || status=$?
  if [ "$status" -ne 3 ]; then exit "$status"; fi
  echo "# the display could not be opened"
else
  echo "# no display (DISPLAY and WAYLAND_DISPLAY are not set)"
fi
echo "# a scripted session of the desktop host runs under Xvfb instead; its screenshots:"
bash tools/desktop-session.sh build/default/tintwell_desktop build/default/tintwell.so build/session

#!/usr/bin/env bash
# Installs what building and testing Tintwell needs on a fresh Debian 12
# machine: the native toolchain and test libraries (libpng for the panel
# pictures the session writes), clang with libFuzzer for the fuzz targets,
# the i686 mingw cross compiler for the real DLL, 32-bit wine to run the
# Windows tests, and the desktop host's window and chrome (SDL2, Dear ImGui,
# a CJK font) with the virtual X server and pointer driver its test and
# scripted session use; for the package's guide, Python-Markdown, Pillow and
# the DejaVu fonts.
# Does nothing when everything is already there.
set -euo pipefail

packages=(cmake g++ make python3 pkg-config locales libgtest-dev libbenchmark-dev liblcms2-dev libpng-dev
          clang-14 libclang-rt-14-dev g++-mingw-w64-i686 wine wine32:i386
          libsdl2-dev libimgui-dev fonts-wqy-microhei xvfb xdotool python3-markdown python3-pil fonts-dejavu-core)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

# A locale whose decimal point is a comma: the tests run the number reading
# and writing under it, as a host process may.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

#!/usr/bin/env bash
# Installs what building and testing Tintwell needs on a fresh Debian 12
# machine: the native toolchain and test libraries, the i686 mingw cross
# compiler for the real DLL, and 32-bit wine to run the Windows tests.
# Does nothing when everything is already there.
set -euo pipefail

packages=(cmake g++ make python3 pkg-config libgtest-dev libbenchmark-dev liblcms2-dev
          g++-mingw-w64-i686 wine wine32:i386)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo dpkg --add-architecture i386
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages that the Windows build needs on top of scripts/install-deps.sh:
# the MinGW-w64 cross compiler (posix threads, as the Windows Qt was built with), wine64 to run the
# Windows test suite, makensis for the installer, and xauth/xvfb for looking at the program.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine64
  nsis
  cmake ninja-build
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

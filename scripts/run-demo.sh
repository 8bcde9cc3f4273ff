#!/usr/bin/env bash
# Installs what is needed, builds the program and its demo tools, creates the demo servers when they are missing
# and starts the program on them. Without a display, it runs under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only what the demo runs: the tests are built by scripts/test.sh.
cmake --build build -j2 --target mirtane mirtane-demo mirtane-sql
if [ -x build/bin/mirtane-demo ] && [ ! -d build/bin/servers/HO ]; then
  build/bin/mirtane-demo build/bin
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a build/bin/mirtane "$@"
fi
exec build/bin/mirtane "$@"

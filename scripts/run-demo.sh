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
  # A display number and cookie file chosen here, so that the line below can name them.
  n=99
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  auth="$PWD/build/xvfb-$n.auth"
  echo "No display here: Mirtane runs in the invisible virtual display :$n. See it with" \
    "XAUTHORITY=$auth DISPLAY=:$n import -window root mirtane.png (package imagemagick), or run this command" \
    "in a desktop session or over ssh -X; stop it with Ctrl+C here."
  exec xvfb-run -n "$n" -f "$auth" -s "-screen 0 1280x800x24" build/bin/mirtane "$@"
fi
exec build/bin/mirtane "$@"

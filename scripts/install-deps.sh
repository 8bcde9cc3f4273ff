#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Mirtane needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

# build-essential, cmake, ninja-build: the build (cpack's Debian package needs nothing more);
# pkg-config: Qt's CMake package finds some of its own dependencies with it;
# qt6-base-dev, libgl-dev: Qt Core, Gui, Widgets, Network and Test (Gui's CMake package asks for GL);
# libgtest-dev: the tests; libsqlite3-dev: the embedded engine; libboost-dev: exact decimals
# (Boost.Multiprecision, header-only);
# unixodbc-dev, unixodbc, odbcinst: the SQL Server connection and the driver registration below;
# tdsodbc: the SQL Server driver the program falls back to; libsqliteodbc: the ODBC tests' driver;
# xvfb, xauth: scripts/run-demo.sh without a display; fonts-dejavu-core: text in the window.
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev
  libsqlite3-dev libboost-dev
  unixodbc unixodbc-dev odbcinst tdsodbc libsqliteodbc
  xvfb xauth fonts-dejavu-core
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

# The SQLite ODBC driver registers itself as "SQLite3"; make sure unixODBC knows it.
if ! odbcinst -q -d 2>/dev/null | grep -q '^\[SQLite3\]'; then
  lib=$(find /usr/lib -name 'libsqlite3odbc.so' 2>/dev/null | head -n 1)
  if [ -n "$lib" ]; then
    printf '[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%s\nSetup=%s\n' "$lib" "$lib" > /tmp/mirtane-sqlite3-odbc.ini
    ${sudo_cmd:-} odbcinst -i -d -f /tmp/mirtane-sqlite3-odbc.ini >/dev/null
  fi
fi

#!/usr/bin/env bash
# Cross-builds the Windows program and its test suite with MinGW-w64 into build-win64/, runs the
# suite under wine64, and makes the installer build-win64/Mirtane-<version>-win64.exe.
#
# The Windows Qt, SQLite and GoogleTest come from ../shared/win64/build-deps.sh (a ready-made
# archive unpacked in seconds into $MIRTANE_WIN64_PREFIX, default ~/.cache/mirtane-win64).
#
#   MIRTANE_WIN64_DEPS    the folder of build-deps.sh and toolchain-mingw64.cmake
#                         (default: ../shared/win64 beside the clone, else ../../shared/win64)
#   MIRTANE_WIN64_PREFIX  the dependency prefix (default: ~/.cache/mirtane-win64)
#   MIRTANE_WINEPREFIX    the wine prefix the tests run in (default: ~/.cache/mirtane-wine)
#   MIRTANE_WARNINGS_AS_ERRORS=ON   every compiler warning an error (CI)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
start=$SECONDS
step_start=$SECONDS
step() { printf '\n==> [%s] %s\n' "$(date +%H:%M:%S)" "$*"; step_start=$SECONDS; }
took() { printf '    (%ds)\n' $((SECONDS - step_start)); }

deps="${MIRTANE_WIN64_DEPS:-}"
if [ -z "$deps" ]; then
  for candidate in "$repo/../shared/win64" "$repo/../../shared/win64"; do
    if [ -f "$candidate/build-deps.sh" ]; then deps=$(cd "$candidate" && pwd); break; fi
  done
fi
if [ -z "$deps" ] || [ ! -f "$deps/build-deps.sh" ]; then
  echo "windows-build.sh: no shared/win64 folder with build-deps.sh beside the clone; set MIRTANE_WIN64_DEPS" >&2
  exit 2
fi
export MIRTANE_WIN64_PREFIX="${MIRTANE_WIN64_PREFIX:-$HOME/.cache/mirtane-win64}"
prefix=$MIRTANE_WIN64_PREFIX
build=$repo/build-win64

step "Debian packages for the Windows build"
bash scripts/install-windows-deps.sh
took

step "Windows Qt, SQLite and GoogleTest in $prefix"
bash "$deps/build-deps.sh"
# Boost is header-only and the same for every compiler: Debian's headers serve the Windows build.
[ -e "$prefix/include/boost" ] || ln -s /usr/include/boost "$prefix/include/boost"
took

step "Configure $build"
# ccache, when installed, makes a second run cheap; the first one costs the same with or without.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -G Ninja "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$deps/toolchain-mingw64.cmake" \
  -DCMAKE_PREFIX_PATH="$prefix" \
  -DQT_HOST_PATH=/usr \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v wine)" \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST \
  -DCMAKE_COMPILE_WARNING_AS_ERROR="${MIRTANE_WARNINGS_AS_ERRORS:-OFF}"
took

step "Build the programs and the tests"
cmake --build "$build" -j2
took

# The tests run in a wine prefix of their own. Wine passes no QT_* variables to the programs;
# the test programs choose the offscreen platform themselves. The DLLs come from the prefix.
step "Run the test suite under wine64"
export WINEPREFIX="${MIRTANE_WINEPREFIX:-$HOME/.cache/mirtane-wine}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wineboot -i >/dev/null 2>&1 || true
export WINEPATH="$(winepath -w "$prefix/bin")"
# One wine server for the whole run, ended after it (the one wineboot started ends first: a
# second -p on a running server fails).
wineserver -w
wineserver -p60
set +e
ctest --test-dir "$build" -j2 --output-on-failure --timeout 600 > "$build/ctest-wine.log" 2>&1
tests_rc=$?
set -e
# Nothing of wine stays behind: its server and services end with the tests.
wineserver -k || true
grep -E "^[0-9]+% tests passed|\*\*\*Skipped|\(Failed\)|\(Timeout\)|Total Test time" "$build/ctest-wine.log" || true
ran=$(grep -cE "^ *[0-9]+/[0-9]+ Test +#" "$build/ctest-wine.log" || true)
skipped=$(grep -c "\*\*\*Skipped" "$build/ctest-wine.log" || true)
failed=$(grep -cE "\*\*\*Failed|\(Failed\)|\*\*\*Timeout|\*\*\*Exception" "$build/ctest-wine.log" || true)
echo "    under wine64: $ran tests ran, $((ran - skipped - failed)) passed, $skipped skipped, $failed failed (log: $build/ctest-wine.log)"
took
if [ "$tests_rc" -ne 0 ]; then
  grep -B2 -A30 -E "\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception" "$build/ctest-wine.log" | head -200 || true
  echo "windows-build.sh: the test suite failed under wine64" >&2
  exit 1
fi

step "Make the installer"
(cd "$build" && cpack -G NSIS)
installer=$(ls "$build"/Mirtane-*-win64.exe)
echo "    $installer: $(du -h "$installer" | cut -f1)"
took

# The installer run as a shop's PC would: a silent install into a fresh wine prefix, the installed
# program started (on a virtual screen) until it has chosen its folder, then a silent uninstall,
# which must leave the operator's files alone.
step "Install, start and uninstall under wine64"
export WINEPREFIX=$build/installer-check/wine
rm -rf "$build/installer-check"
mkdir -p "$build/installer-check"
wineboot -i >/dev/null 2>&1 || true
unset WINEPATH
drive_c=$WINEPREFIX/drive_c
wine "$(winepath -w "$installer")" /S
installed="$drive_c/Program Files/Mirtane"
for file in bin/mirtane.exe bin/mirtane-sql.exe bin/mirtane-demo.exe bin/Qt6Widgets.dll bin/sqlite3.dll \
            bin/libstdc++-6.dll bin/platforms/qwindows.dll bin/styles/qwindowsvistastyle.dll \
            bin/tls/qschannelbackend.dll Uninstall.exe; do
  [ -f "$installed/$file" ] || { echo "windows-build.sh: the installer did not install $file" >&2; exit 1; }
done
find "$drive_c" -name 'Mirtane.lnk' -path '*Start Menu*' | grep -q . \
  || { echo "windows-build.sh: the installer made no Start menu entry" >&2; exit 1; }
appdata="$drive_c/users/$(id -un)/AppData/Roaming/Mirtane"
xvfb-run -a timeout 20 wine "C:\\Program Files\\Mirtane\\bin\\mirtane.exe" > "$build/installer-check/program.log" 2>&1 || true
wineserver -k || true
[ -d "$appdata" ] || { echo "windows-build.sh: the installed program did not make $appdata" >&2; exit 1; }
[ ! -e "$installed/bin/Resources" ] || { echo "windows-build.sh: the installed program wrote into Program Files" >&2; exit 1; }
mkdir -p "$appdata/Resources" && echo "(local)" > "$appdata/Resources/ServerName.ini"
wine "C:\\Program Files\\Mirtane\\Uninstall.exe" /S
wineserver -w
[ ! -e "$installed/bin/mirtane.exe" ] || { echo "windows-build.sh: the uninstaller left the program" >&2; exit 1; }
[ -f "$appdata/Resources/ServerName.ini" ] || { echo "windows-build.sh: the uninstaller removed the operator's Resources" >&2; exit 1; }
wineserver -k || true
echo "    installed, started (files in %APPDATA%\\Mirtane), uninstalled; the operator's Resources stayed"
took

echo
echo "windows-build.sh: done in $(((SECONDS - start) / 60))m$(((SECONDS - start) % 60))s"

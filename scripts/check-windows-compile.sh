#!/usr/bin/env bash
# Compiles every C++ source of src/, tools/ and tests/ for Windows with MinGW-w64, syntax only,
# against the Qt 6 headers (with Qt's own UNICODE define), and fails on any error. It catches
# what the Linux build cannot: POSIX calls outside Unix guards, narrow Windows API calls under
# UNICODE, headers in the wrong order.
#
# Qt's headers come from the Linux Qt (qt6-base-dev); SQLite's and GoogleTest's from the
# Windows prefix of /work/shared/win64/build-deps.sh ($MIRTANE_WIN64_PREFIX), which
# this script makes when it is missing and the script is there. Usage:
#   scripts/check-windows-compile.sh [FILE.cpp ...]     (no file: every source)
# MIRTANE_WINCHECK_JOBS sets how many files compile at once (default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

cxx=${MIRTANE_MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "check-windows-compile: $cxx not found; install g++-mingw-w64-x86-64-posix and mingw-w64" >&2
    exit 2
fi

prefix=${MIRTANE_WIN64_PREFIX:-$HOME/.cache/mirtane-win64}
deps=${MIRTANE_WIN64_DEPS_SCRIPT:-$root/../shared/win64/build-deps.sh}
[ -f "$deps" ] || deps=/work/shared/win64/build-deps.sh
if [ ! -f "$prefix/include/sqlite3.h" ] && [ -f "$deps" ]; then
    MIRTANE_WIN64_PREFIX=$prefix bash "$deps" >&2
fi
for header in sqlite3.h gtest/gtest.h; do
    if [ ! -f "$prefix/include/$header" ]; then
        echo "check-windows-compile: $prefix/include/$header missing: make the Windows prefix with build-deps.sh" >&2
        exit 2
    fi
done

qt=${MIRTANE_QT_HEADERS:-/usr/include/x86_64-linux-gnu/qt6}
# Boost is header-only and the same for every compiler: Debian's headers (libboost-dev) serve, seen
# through a folder of their own so that no other Linux header is found.
boost_dir=$(mktemp -d)
ln -s "${MIRTANE_BOOST_HEADERS:-/usr/include/boost}" "$boost_dir/boost"
flags=(-std=gnu++20 -fsyntax-only -DUNICODE -D_UNICODE
       -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB -DQT_TESTLIB_LIB
       -I"$root/src" -I"$root" -I"$root/tests" -I"$root/tests/support"
       -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets" -I"$qt/QtNetwork" -I"$qt/QtTest"
       -idirafter "$prefix/include" -idirafter "$boost_dir"
       # what the tests' CMakeLists pass to single targets (paths of programs they start)
       -DCRASH_WORKER='"reliability_crash_worker.exe"' -DMIRTANE_BINARY_DIR='"build"'
       -DMIRTANE_SQL_PROGRAM='"mirtane-sql.exe"' -DMIRTANE_SIMULATOR='"mirtane-simulator.exe"')

if [ "$#" -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(find src tools tests -name '*.cpp' | sort)
fi

log=$(mktemp -d)
trap 'rm -rf "$log" "$boost_dir"' EXIT
# The flags go through a response file, so that folders with blanks stay one argument.
for flag in "${flags[@]}"; do
    printf '"%s"\n' "${flag//\"/\\\"}"
done >"$log/flags.rsp"
export cxx log
compile() {
    local file=$1 out
    out="$log/$(echo "$file" | tr '/' '_').txt"
    if ! "$cxx" @"$log/flags.rsp" "$file" >"$out" 2>&1; then
        echo "FAILED $file"
        return 1
    fi
    rm -f "$out"
}
export -f compile

status=0
printf '%s\n' "${files[@]}" | xargs -P "${MIRTANE_WINCHECK_JOBS:-2}" -I{} bash -c 'compile "$1"' _ {} || status=1
failed=$(find "$log" -name '*.txt' | wc -l)
for out in "$log"/*.txt; do
    [ -e "$out" ] || continue
    echo "---- $(basename "$out" .txt)"
    head -n 40 "$out"
done
echo "check-windows-compile: ${#files[@]} sources, $failed failed"
exit $status

#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize and
# runs the whole suite there. Any finding stops the test that made it, so the run fails.
# Leaks are checked too, except those of Qt and the system libraries under it, which keep some
# allocations until the process ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
folder=build-sanitize
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build "$folder" -j2

suppressions="$PWD/$folder/leaks.supp"
cat > "$suppressions" <<'LIST'
leak:libQt6
leak:libfontconfig
leak:libglib
leak:libgobject
leak:libdbus
leak:libEGL
leak:libGLX
leak:libxkbcommon
LIST
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=0"
export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$folder" --output-on-failure -j2 --timeout 3000

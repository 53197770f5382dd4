#!/usr/bin/env bash
# Cross-builds the platform layer's Windows backend with mingw-w64 and runs its conformance suite
# under Wine, in a fresh Wine prefix that is removed afterwards. Installs what is missing first.
#   TAPESTRON_WIN32_BUILD_DIR  build folder (default: build-win32)
#   TAPESTRON_WIN32_CMAKE_ARGS extra CMake arguments (CI: warnings as errors)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh cmake ninja-build g++-mingw-w64-x86-64 wine64 googletest

build=${TAPESTRON_WIN32_BUILD_DIR:-build-win32}
# shellcheck disable=SC2086
cmake -S tests/win32 -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" ${TAPESTRON_WIN32_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2

# The wine package puts its programs on PATH; wine64 alone keeps them in Wine's own folder.
wine=$(command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

prefix=$(mktemp -d "${TMPDIR:-/tmp}/tapestron-wine.XXXXXX")
cleanup() {
    WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT

# No display is needed: the suite's windows are message-only. Without DISPLAY the user's own
# desktop never sees the wallpaper and colour changes of the desktop cases. Mono and Gecko are
# not installed into the prefix, which keeps its creation short.
unset DISPLAY
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" "$build/platform_conformance.exe" "$@"

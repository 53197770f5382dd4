#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite.
#   TAPESTRON_BUILD_DIR   build folder (default: build)
#   TAPESTRON_CMAKE_ARGS  extra CMake arguments (CI: warnings as errors, sanitizers)
#   TAPESTRON_SKIP_WIN32  set to 1 to leave out the Windows platform layer's run under Wine
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh

build=${TAPESTRON_BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TAPESTRON_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" -j2 --output-on-failure
if [[ "${TAPESTRON_SKIP_WIN32:-0}" != 1 ]]; then
    scripts/test-win32.sh
fi

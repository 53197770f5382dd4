#!/usr/bin/env bash
# Installs what is needed, builds, and starts Tapestron from the build tree.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh

build=${TAPESTRON_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target tapestron tapestron_data

# Without a display the program still runs, on Qt's offscreen platform.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    export QT_QPA_PLATFORM=offscreen
fi
exec "$build/bin/tapestron" "$@"

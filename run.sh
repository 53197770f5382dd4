#!/usr/bin/env bash
# Installs what is needed, builds, and starts Tapestron from the build tree, beside the local
# wallpaper service (its generated demo collection), so Automatic Wallpaper Mode works offline.
# Tapestron runs in place: $build/bin is its program folder, which it writes (data/cat1.tsl, ...).
#   TAPESTRON_SERVICE_URL   use another wallpaper service; the local one is then not started
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh

build=${TAPESTRON_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target tapestron tapestron_data tapestron-service

# Without a display the program still runs, on Qt's offscreen platform.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    export QT_QPA_PLATFORM=offscreen
fi

if [[ -z "${TAPESTRON_SERVICE_URL:-}" ]]; then
    "$build/bin/tapestron-service" &
    service=$!
    trap 'kill "$service" 2>/dev/null || true' EXIT
fi
"$build/bin/tapestron" "$@"

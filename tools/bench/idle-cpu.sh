#!/usr/bin/env bash
# The program's processor time while it idles in the tray with the show running: a private Xvfb
# with a tray host, the local wallpaper service, a fresh APPDATA whose settings start the automatic
# show at once, and the desktop left alone. utime+stime of /proc/PID/stat are read after a settling
# time and again after the measured span.
#   idle-cpu.sh [BUILD_DIR] [SECONDS]     (defaults: build, 60)
set -euo pipefail
build=${1:-build}
span=${2:-60}
scratch=$(mktemp -d)
pids=()
cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

display=:$((80 + RANDOM % 100))
Xvfb "$display" -noreset -screen 0 1920x1080x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
trayer --edge bottom --align right --widthtype pixel --width 200 >/dev/null 2>&1 &
pids+=($!)

port=$((20000 + RANDOM % 20000))
"$build/bin/tapestron-service" --port "$port" >/dev/null 2>&1 &
pids+=($!)

mkdir -p "$scratch/appdata/Tapestron" "$scratch/program"
cp -r "$build/pristine-data" "$scratch/program/data"
mkdir -p "$scratch/program/plugins"
printf '[General]\r\nDefaultMode=auto\r\nAutoRunAtStartup=1\r\n[AutoMode]\r\nCategory=0\r\n' \
    >"$scratch/appdata/Tapestron/settings.ini"
cp "$build/bin/tapestron" "$scratch/program/"
APPDATA="$scratch/appdata" TAPESTRON_REGISTRY="$scratch/registry.reg" TAPESTRON_DESKTOP=none \
    TAPESTRON_SERVICE_URL="http://127.0.0.1:$port" "$scratch/program/tapestron" >/dev/null 2>&1 &
program=$!
pids+=("$program")

ticks() { awk '{ print $14 + $15 }' "/proc/$program/stat"; }
sleep 10 # the start, its step and the first tidy-up
before=$(ticks)
sleep "$span"
after=$(ticks)
if [[ ! -s "$scratch/appdata/Tapestron/current.bmp" ]]; then
    echo "idle-cpu.sh: the start's step set no wallpaper, so the show is not what was measured" >&2
    exit 1
fi
hz=$(getconf CLK_TCK)
awk -v t=$((after - before)) -v hz="$hz" -v s="$span" -v rss="$(awk '/VmRSS/ { print $2 }' "/proc/$program/status")" \
    'BEGIN { printf "idle in the tray, show running: %d ticks in %d s = %.3f %% of one core (target <= 0.1), resident %.1f MiB\n", t, s, 100 * t / hz / s, rss / 1024 }'

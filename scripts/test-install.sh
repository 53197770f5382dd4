#!/usr/bin/env bash
# Tries the Debian packages the way a user gets them: makes them (scripts/make-packages.sh),
# checks them (scripts/check-packages.sh), installs both with apt-get, then, as a throwaway
# ordinary user in a private X server, starts the installed service and the installed program in
# Automatic Wallpaper Mode and waits until the program has painted the X root window. Checks that
# the program wrote only below the user's home (catalog refresh in the per-user store, autostart
# and link handler entries that an older build-tree program left rewritten to name the installed
# files, nothing changed under /usr), that a tapestron: link opened with xdg-open imports a
# profile through the installed plug-in, and that purging the packages leaves the user's files
# alone. Leaves the machine as it found it (the packages, what apt-get pulled in for them, the
# user, the processes and folders all go) and prints how long it took. Needs root; refuses to run
# when either package is installed already.
#   scripts/test-install.sh [BUILD_DIR]   build folder for the packages, as scripts/make-packages.sh
#                                         takes it (default: build-packages)
#   TAPESTRON_TEST_PORT                   the service's port (default: the first free from 18468)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-packages}")
started=$SECONDS

[[ $(id -u) -eq 0 ]] || { echo "test-install: run as root (it installs packages)" >&2; exit 2; }
for package in tapestron tapestron-service; do
    if dpkg-query -W "$package" >/dev/null 2>&1; then
        echo "test-install: $package is on this machine already; remove it first" >&2
        exit 2
    fi
done
scripts/setup-debian.sh xvfb x11-utils xdg-utils curl iproute2 passwd util-linux

scripts/make-packages.sh "$build"
debs=("$build"/packages/tapestron_*.deb "$build"/packages/tapestron-service_*.deb)
scripts/check-packages.sh "${debs[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/tapestron-install.XXXXXX")
chmod 755 "$work"
user=tapestron-test$$
home=$work/home
pids=()
made_x11_dir=0
installed_packages=0
pulled=()

cleanup() {
    local status=$? pid
    set +e
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    if uid=$(id -u "$user" 2>/dev/null); then
        # What the user's programs started in turn (the plug-in, xdg-open) goes too.
        for pid in $(pgrep -u "$uid"); do
            kill "$pid" 2>/dev/null
        done
        sleep 0.5
        for pid in $(pgrep -u "$uid"); do
            kill -KILL "$pid" 2>/dev/null
        done
        rm -f /dev/shm/tapestron-"$uid"-*
        userdel --remove "$user" 2>/dev/null
    fi
    if [[ $installed_packages -eq 1 ]]; then
        for package in tapestron tapestron-service; do
            if dpkg-query -W "$package" >/dev/null 2>&1; then
                apt_get purge "$package" >/dev/null
            fi
        done
        # Only what is still there as a mere dependency: someone may have asked for it since.
        if [[ ${#pulled[@]} -gt 0 ]]; then
            mapfile -t pulled < <(apt-mark showauto "${pulled[@]}")
            [[ ${#pulled[@]} -eq 0 ]] || apt_get purge "${pulled[@]}" >/dev/null
        fi
    fi
    [[ $made_x11_dir -eq 0 ]] || rmdir /tmp/.X11-unix 2>/dev/null
    rm -rf "$work"
    echo "test-install: $((SECONDS - started)) s"
    exit "$status"
}
trap cleanup EXIT

apt_get() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 "$@"
}

failures=0
# [why=TEXT] check NAME COMMAND...: a check that does not stop the test when it fails; TEXT, what
# was found instead, is shown when it does.
check() {
    local name=$1
    shift
    if "$@"; then
        echo "ok   $name"
    else
        echo "FAIL $name"
        [[ -z "${why:-}" ]] || sed 's/^/     /' <<<"$why"
        failures=$((failures + 1))
    fi
}

# wait_for SECONDS COMMAND...: polls until the command succeeds or the time is up.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [[ $SECONDS -lt $deadline ]] || return 1
        sleep 0.2
    done
}

# The packages' files outside /etc (the conffile may be edited), each with its checksum, and what
# the program folder holds.
package_files_state() {
    local path
    dpkg -L tapestron tapestron-service | sort -u | while IFS= read -r path; do
        if [[ -L "$path" ]]; then
            echo "link $(readlink "$path") $path"
        elif [[ -f "$path" && "$path" != /etc/* ]]; then
            sha256sum "$path"
        fi
    done
    find /usr/lib/tapestron -printf '%M %u %s %p\n' | sort
}

systemd_state() {
    local folder
    for folder in /etc/systemd/system /var/lib/systemd/deb-systemd-helper-enabled \
        /var/lib/systemd/deb-systemd-helper-masked; do
        [[ ! -d "$folder" ]] || find "$folder"
    done | sort
}

# --- install -------------------------------------------------------------------------------------
systemd_state >"$work/systemd-before"
# What apt-get is about to add besides the packages, so that exactly that goes again at the end
# (another installation on this machine at the same time keeps what it installs).
mapfile -t pulled < <(apt_get install --simulate "${debs[@]}" |
    awk '$1 == "Inst" && $2 != "tapestron" && $2 != "tapestron-service" { print $2 }')
echo "test-install: apt-get pulls in: ${pulled[*]:-nothing}"
installed_packages=1
apt_get install "${debs[@]}"
check "the service is enabled, as Debian's services are" \
    test -L /etc/systemd/system/multi-user.target.wants/tapestron-service.service
package_files_state >"$work/files-before"

# --- a user, an X server, the service ------------------------------------------------------------
useradd --create-home --home-dir "$home" --shell /bin/bash "$user"
uid=$(id -u "$user")
runtime=$work/runtime
install -d -m 700 -o "$user" -g "$user" "$runtime"
if [[ ! -d /tmp/.X11-unix ]]; then
    install -d -m 1777 /tmp/.X11-unix
    made_x11_dir=1
fi
display=57
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do
    display=$((display + 1))
done
port=${TAPESTRON_TEST_PORT:-18468}
while ss -Htln "sport = :$port" | grep -q .; do
    port=$((port + 1))
done
appdata=$home/.config # APPDATA is not set: the program falls back to XDG_CONFIG_HOME's default
user_env=(HOME="$home" USER="$user" LOGNAME="$user" SHELL=/bin/bash LANG=C.UTF-8
    PATH=/usr/local/bin:/usr/bin:/bin DISPLAY=":$display" XDG_RUNTIME_DIR="$runtime"
    TAPESTRON_DESKTOP=x11 TAPESTRON_SERVICE_URL="http://127.0.0.1:$port")
# A command prefix, not a function, so that "$!" is the started program's own process.
as_user=(setpriv --reuid="$uid" --regid="$(id -g "$user")" --init-groups
    env -i -C "$home" "${user_env[@]}")

"${as_user[@]}" Xvfb ":$display" -noreset -nolisten tcp -screen 0 1280x800x24 \
    >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 30 "${as_user[@]}" xprop -root || { echo "test-install: Xvfb did not start" >&2; exit 1; }

"${as_user[@]}" /usr/bin/tapestron-service --port "$port" >"$work/service.log" 2>&1 &
pids+=($!)
wait_for 60 curl -sf "http://127.0.0.1:$port/version" ||
    { cat "$work/service.log"; echo "test-install: the service did not start" >&2; exit 1; }

# --- the program ---------------------------------------------------------------------------------
# Automatic mode, started at once with the first category, and a start at log-in.
"${as_user[@]}" mkdir -p "$appdata/Tapestron"
printf '%s\r\n' '[General]' DefaultMode=auto AutoRunAtStartup=1 RunAtStartup=1 '[AutoMode]' \
    Category=0 | "${as_user[@]}" tee "$appdata/Tapestron/settings.ini" >/dev/null

# Entries an earlier Tapestron of the user's left, run from a build tree: the first start of the
# installed one rewrites them.
old=/home/someone/tapestron/build/bin
"${as_user[@]}" mkdir -p "$appdata/autostart" "$home/.local/share/applications"
printf '%s\n' '[Desktop Entry]' Type=Application Name=Tapestron "Exec=$old/tapestron" \
    Terminal=false X-Tapestron-Run=Tapestron |
    "${as_user[@]}" tee "$appdata/autostart/tapestron.desktop" >/dev/null
printf '%s\n' '[Desktop Entry]' Type=Application Name=Tapestron \
    "Exec=$old/plugins/showopen.exe %u" 'MimeType=x-scheme-handler/tapestron;' NoDisplay=true \
    Terminal=false X-Tapestron-Class=TAPESTRON |
    "${as_user[@]}" tee "$home/.local/share/applications/tapestron-url-tapestron.desktop" >/dev/null

"${as_user[@]}" /usr/bin/tapestron >"$work/program.log" 2>&1 &
program=$!
pids+=("$program")
root_picture() { "${as_user[@]}" xprop -root _XROOTPMAP_ID | grep -q 'pixmap id'; }
if wait_for 120 root_picture; then
    echo "ok   the installed program painted the X root window"
else
    echo "FAIL the installed program painted the X root window"
    failures=$((failures + 1))
    cat "$work/program.log"
fi
check "the program runs as the ordinary user" \
    test "$(ps -o uid= -p "$program" | tr -d ' ')" = "$uid"

store=$home/.local/share/tapestron
curl -sf "http://127.0.0.1:$port/wallpapers/cat.tsl" >"$work/cat.tsl"
why=$(find "$store" 2>&1) check "the catalog refresh landed in the per-user store" \
    cmp -s "$work/cat.tsl" "$store/data/cat.tsl"
package_files_state >"$work/files-after"
check "nothing of the packages changed" cmp -s "$work/files-before" "$work/files-after"
why=$(grep -Hs '^Exec=' "$appdata/autostart/tapestron.desktop" || echo "no autostart entry") \
    check "the older autostart entry was rewritten to start /usr/bin/tapestron" \
    grep -qx 'Exec=/usr/bin/tapestron' "$appdata/autostart/tapestron.desktop"
why=$(grep -Hs '^Exec=' "$home/.local/share/applications/tapestron-url-tapestron.desktop" ||
    echo "no handler entry") check "the older tapestron: handler now names the installed plug-in" \
    grep -q '^Exec=.*/usr/lib/tapestron/plugins/showopen\.exe' \
    "$home/.local/share/applications/tapestron-url-tapestron.desktop"

# A category of the demo collection, imported through the desktop's link opener.
category=street
"${as_user[@]}" timeout 120 xdg-open "tapestron:profile/$category" >"$work/xdg-open.log" 2>&1 ||
    true
profile=$appdata/Tapestron/Profiles/$category.tsl
imported() {
    [[ -s "$profile" ]] || return 1
    local picture
    while IFS= read -r picture; do
        picture=${picture%$'\r'}
        [[ -z "$picture" || -s "$picture" ]] || return 1
    done <"$profile"
}
if wait_for 60 imported; then
    echo "ok   xdg-open tapestron:profile/$category imported the profile"
else
    echo "FAIL xdg-open tapestron:profile/$category imported the profile"
    failures=$((failures + 1))
    cat "$work/xdg-open.log"
fi

# --- stop, purge ---------------------------------------------------------------------------------
for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
done
for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
done
pids=()
apt_get purge tapestron tapestron-service
check "the purge took the program folder and the service's settings" \
    test ! -e /usr/lib/tapestron -a ! -e /etc/default/tapestron-service
systemd_state >"$work/systemd-after"
check "the purge left no enablement or mask of the service" \
    cmp -s "$work/systemd-before" "$work/systemd-after"
check "the user's settings stay" test -s "$appdata/Tapestron/settings.ini"
check "the user's imported profile stays" test -s "$profile"
check "the user's per-user store stays" test -s "$store/data/cat.tsl"

if [[ $failures -gt 0 ]]; then
    echo "test-install: $failures check(s) failed"
    exit 1
fi
echo "test-install: every check passed"

#!/usr/bin/env bash
# Checks Debian packages made by scripts/make-packages.sh: lintian on each package (fails on
# errors, shows warnings and notes), then, on their files extracted together into one folder, every
# menu entry (desktop-file-validate), AppStream file (appstreamcli validate --no-net), icon (its
# size), systemd service (systemd-analyze verify) and manual page (man --warnings). Any complaint
# of these fails too. Installs what is missing first.
#   scripts/check-packages.sh DEB...
set -euo pipefail
[[ $# -gt 0 ]] || { echo "usage: $0 DEB..." >&2; exit 2; }
debs=()
for deb in "$@"; do
    debs+=("$(realpath "$deb")")
done
cd "$(dirname "$0")/.."
scripts/setup-debian.sh lintian desktop-file-utils appstream systemd man-db groff-base

work=$(mktemp -d "${TMPDIR:-/tmp}/tapestron-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root
# lintian leaves a database file in its temporary folder on each run: this one goes.
mkdir "$root" "$work/tmp"

failures=0
# check NAME COMMAND...: runs the command, which passes when it succeeds; its output is shown
# when it fails.
check() {
    local name=$1 output
    shift
    if output=$("$@" 2>&1); then
        echo "ok   $name"
    else
        echo "FAIL $name"
        [[ -z "$output" ]] || sed 's/^/     /' <<<"$output"
        failures=$((failures + 1))
    fi
}

for deb in "${debs[@]}"; do
    echo "lintian $(basename "$deb"):"
    if TMPDIR=$work/tmp lintian --display-info --fail-on error "$deb" | sed 's/^/     /'; then
        echo "ok   lintian $(basename "$deb")"
    else
        echo "FAIL lintian $(basename "$deb")"
        failures=$((failures + 1))
    fi
    dpkg-deb -x "$deb" "$root"
done

while IFS= read -r -d '' entry; do
    check "desktop-file-validate ${entry#"$root"}" desktop-file-validate "$entry"
done < <(find "$root/usr/share/applications" -name '*.desktop' -print0 2>/dev/null)

while IFS= read -r -d '' metainfo; do
    check "appstreamcli validate ${metainfo#"$root"}" \
        appstreamcli validate --no-net --no-color "$metainfo"
done < <(find "$root/usr/share/metainfo" -name '*.xml' -print0 2>/dev/null)

# An icon theme's picture must have the size of the folder it is in; a scalable one must parse.
icon_fits() {
    local size
    size=$(basename "$(dirname "$(dirname "$1")")")
    case $size in
    scalable) python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$1" ;;
    *) file -b "$1" | grep -q "^PNG image data, ${size/x/ x }," ;;
    esac
}
while IFS= read -r -d '' icon; do
    check "icon ${icon#"$root"}" icon_fits "$icon"
done < <(find "$root/usr/share/icons" -type f -print0 2>/dev/null)

# silent COMMAND...: fails when the command fails or prints anything, for tools that only print
# what they find wrong.
silent() {
    local output
    output=$("$@" 2>&1) || { printf '%s\n' "$output"; return 1; }
    [[ -z "$output" ]] || { printf '%s\n' "$output"; return 1; }
}

# systemd-analyze looks for the units a service depends on by default (sysinit.target, ...) below
# --root as well, so the packages' folder gets this system's units beside their own. It only
# prints what it can not parse ("ignoring"), so any output fails.
units=()
while IFS= read -r -d '' unit; do
    units+=("${unit#"$root"}")
done < <(find "$root/lib/systemd/system" "$root/usr/lib/systemd/system" -name '*.service' \
    -print0 2>/dev/null)
if [[ ${#units[@]} -gt 0 ]]; then
    mkdir -p "$root/usr/lib/systemd/system"
    cp -an /usr/lib/systemd/system/. "$root/usr/lib/systemd/system/"
    for unit in "${units[@]}"; do
        # Documentation=man:... is looked up among the packages' own pages.
        check "systemd-analyze verify $unit" silent \
            env MANPATH="$root/usr/share/man" systemd-analyze verify --root="$root" "$unit"
    done
fi

# The formatter's warnings alone, at the width lintian formats pages with.
man_warnings() {
    { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" >/dev/null; } 2>&1
}
while IFS= read -r -d '' page; do
    check "man --warnings ${page#"$root"}" silent man_warnings "$page"
done < <(find "$root/usr/share/man" -name '*.[0-9]*' -print0 2>/dev/null)

if [[ $failures -gt 0 ]]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "every check passed"

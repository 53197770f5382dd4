#!/usr/bin/env bash
# Fails when an #include in src/ points up the layers: platform <- common <- wallpaper <- the
# subsystems (automode, custommode, online, settings, plugins, wizard, windows) <- app. Subsystems
# may use each other; below the app, only the window registry (app/forms.h) may be named.
#   check-layers.sh [-q]   -q: print only the count
set -euo pipefail
cd "$(dirname "$0")/../src"

layer() {
    case $1 in
    platform) echo 0 ;;
    common) echo 1 ;;
    wallpaper) echo 2 ;;
    automode | custommode | online | settings | plugins | wizard | windows) echo 3 ;;
    app) echo 4 ;;
    *) echo -1 ;;
    esac
}

violations=0
while IFS= read -r file; do
    own=${file%%/*}
    mine=$(layer "$own")
    while IFS= read -r included; do
        folder=${included%%/*}
        [[ $included == */* ]] || continue # the file's own folder
        theirs=$(layer "$folder")
        ((theirs >= 0 && theirs > mine)) || continue
        [[ $included == app/forms.h && $mine -eq 3 ]] && continue
        ((++violations))
        [[ ${1:-} == -q ]] || echo "$file includes $included"
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||' | sort)

echo "$violations include(s) against the layers"
((violations == 0))

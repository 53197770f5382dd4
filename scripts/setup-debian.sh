#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, or the packages named as
# arguments; does nothing when they are all there already.
#   scripts/setup-debian.sh [PACKAGE...]
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libjpeg62-turbo-dev libcurl4-openssl-dev
    fonts-liberation
    libgtest-dev libgmock-dev libjpeg-turbo-progs
    libcpp-httplib-dev
    # The fuzz targets: clang with libFuzzer and the sanitizers' runtime.
    clang libclang-rt-14-dev
    # An ordinary web server, which the tests run over an exported copy of the service's site.
    nginx
    libxcb1-dev
    # The Linux desktops the tests drive for real, each started by its case: an X server with
    # key presses sent through XTEST, a session bus with the desktops' settings services and
    # schemas, and the desktop's link opener.
    xvfb xdotool
    # A tray host of the X panels, started by a case after the program, and the window lister
    # that looks into it.
    trayer x11-utils
    dbus-daemon dbus-bin dconf-service dconf-gsettings-backend libglib2.0-bin
    gsettings-desktop-schemas
    cinnamon-desktop-data mate-desktop-common xfconf libxfconf-0-3
    xdg-utils
    # The icon theme's pictures are drawn at build time (scripts/make-icon.py); Debian's flags
    # for packages come from dpkg-buildflags (TAPESTRON_DEBIAN_FLAGS).
    python3 dpkg-dev
)
[[ $# -eq 0 ]] || packages=("$@")

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    # A package whose triggers another installation has yet to run is installed all the same.
    [[ "$status" == "install ok installed" || "$status" == "install ok triggers-"* ]] ||
        missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
# Another installation under way is waited for rather than failed on.
lock=(-o DPkg::Lock::Timeout=600)
"${sudo[@]}" apt-get "${lock[@]}" update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${lock[@]}" install -y -qq \
    --no-install-recommends "${missing[@]}"

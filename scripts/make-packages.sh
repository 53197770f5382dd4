#!/usr/bin/env bash
# Builds the Debian packages tapestron and tapestron-service: an optimised build installed under
# /usr, with Debian's hardening flags, made into packages by CPack. Leaves them in
# BUILD_DIR/packages/ and prints their paths. Installs what is missing first.
#   scripts/make-packages.sh [BUILD_DIR]   build folder, relative to the source tree or absolute
#                                          (default: build-packages); a folder of an earlier run
#                                          is reused. Give it one of its own, or one configured
#                                          with the same flags (CI's): it is configured with the
#                                          flags below.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
# dpkg-shlibdeps works out the dependencies, file tells it the binaries, strip shrinks them.
scripts/setup-debian.sh dpkg-dev file binutils

build=$(realpath -m "${1:-build-packages}")
# Debian's flags for packages, all hardening included (fortified functions, stack protector,
# read-only relocations bound at start), without debug information: the packages carry stripped
# binaries. CI's test tree is configured the same way, so it is made into packages as it is.
# The packages need a handful of targets; "install" must not build all the tests first.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAPESTRON_DEBUG_INFO=none \
    -DTAPESTRON_DEBIAN_FLAGS=ON -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    >/dev/null
cmake --build "$build" -j2 --target tapestron showopen tapestron-service tapestron_data \
    tapestron_package_files

out="$build/packages"
rm -f "$out"/*.deb
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
ls -1 "$out"/tapestron_*.deb "$out"/tapestron-service_*.deb

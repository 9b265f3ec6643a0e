#!/usr/bin/env bash
# Builds the Debian package v9con_<version>_<arch>.deb into ./build/package
# (the build test.sh makes, so CI compiles nothing twice) and checks it with
# lintian. Installs what packaging needs, only what is missing. Prints the
# package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
install_missing "${PACKAGES[@]}" dpkg-dev file lintian desktop-file-utils appstream

dir=${BUILD_DIR:-build}
# cpack installs from a complete build, so everything is built first.
BUILD_DIR=$dir build
rm -f "$dir"/package/v9con_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/package/v9con_*.deb)

# Errors fail the build; warnings are listed.
lintian --fail-on error --tag-display-limit 0 "$deb" >&2
echo "$deb"

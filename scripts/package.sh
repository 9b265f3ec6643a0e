#!/usr/bin/env bash
# Builds the Debian package v9con_<version>_<arch>.deb into ./build-package/package
# and checks it with lintian. Installs what the packaging needs (only what
# is missing). Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
install_missing "${PACKAGES[@]}" dpkg-dev file lintian desktop-file-utils appstream

dir=${BUILD_DIR:-build-package}
BUILD_DIR=$dir build -DV9_BUILD_TESTS=OFF -DV9_BUILD_BENCH=OFF
rm -f "$dir"/package/v9con_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/package/v9con_*.deb)

# Errors fail the build; warnings are listed.
lintian --fail-on error --no-tag-display-limit "$deb" >&2
echo "$deb"

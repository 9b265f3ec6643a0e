#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. Non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing "${PACKAGES[@]}"
build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 "$@"

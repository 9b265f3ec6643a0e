#!/usr/bin/env bash
# Installs what is missing, builds and starts V9CON on the built-in simulated rack.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing "${PACKAGES[@]}"
build v9con
exec ./build/src/app/v9con --simulate "$@"

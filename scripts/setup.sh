#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages the build needs
# (only those missing) and builds into ./build.
set -euo pipefail

PACKAGES=(cmake g++ make qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

# build [TARGET...]: configures ./build and builds the given targets (all by default).
build() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    local targets=()
    for t in "$@"; do targets+=(--target "$t"); done
    cmake --build build -j"$(nproc)" "${targets[@]}"
}

#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages the build needs
# (only those missing) and builds into ./build.
set -euo pipefail

PACKAGES=(cmake g++ make qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev qt6-svg-dev libgl-dev fonts-dejavu-core poppler-utils ser2net)

install_missing() {
    local missing=()
    for p in "$@"; do
        [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = 'install ok installed' ] || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

# build [-DOPTION=VALUE...] [TARGET...]: configures ${BUILD_DIR:-build} with the
# given options and builds the given targets (all by default).
build() {
    local dir=${BUILD_DIR:-build}
    local options=() targets=()
    for a in "$@"; do
        case "$a" in
            -D*) options+=("$a") ;;
            *) targets+=(--target "$a") ;;
        esac
    done
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
    cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
}

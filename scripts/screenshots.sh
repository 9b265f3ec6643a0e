#!/bin/sh
# Retakes the pictures of the progress window, a failure message, the COM
# port dialog and the card selector in docs/ under a virtual X server.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-tools -DCMAKE_BUILD_TYPE=RelWithDebInfo -DV9_BUILD_TOOLS=ON \
    -DV9_BUILD_TESTS=OFF -DV9_BUILD_BENCH=OFF >/dev/null
cmake --build build-tools -j2 --target v9con-screenshots
xvfb-run -a -s "-screen 0 1280x1024x24" ./build-tools/tools/v9con-screenshots "$PWD/docs"

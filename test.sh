#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. Non-zero on any failure.
#   ./test.sh             the plain build in ./build
#   ./test.sh --sanitize  AddressSanitizer and UndefinedBehaviorSanitizer in ./build-sanitize
# Further arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing "${PACKAGES[@]}"

dir=build
if [ "${1:-}" = "--sanitize" ]; then
    shift
    dir=build-sanitize
    # Debian's Qt is not instrumented: its containers would be reported as
    # overflowing. Leaks in Qt's and fontconfig's own start-up are listed in
    # the suppressions file, each with its reason.
    export ASAN_OPTIONS=detect_container_overflow=0:abort_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    BUILD_DIR=$dir build -DV9_SANITIZE=ON -DV9_BUILD_BENCH=OFF
else
    build
fi
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 "$@"

#!/usr/bin/env bash
# The long run of the random walks over the window's operations
# (tests/test_sequences.cpp): builds test_sequences into ${BUILD_DIR:-build}
# and runs 10,000 walks (or $1), then prints how many walks and steps ran,
# how many walks failed, each kind of failure with its shortest walk, and
# the time taken. The whole output is kept in <build>/walk.log. Replay one
# walk with V9_WALK_SEED=<seed> <build>/tests/test_sequences.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
install_missing "${PACKAGES[@]}"
build test_sequences >/dev/null

dir=${BUILD_DIR:-build}
log=$dir/walk.log
start=$(date +%s)
status=0
# Qt Test ends a test function after five minutes unless told otherwise.
QTEST_FUNCTION_TIMEOUT=86400000 QT_QPA_PLATFORM=offscreen V9_WALKS=${1:-10000} \
    "$dir/tests/test_sequences" -maxwarnings 0 \
    >"$log" 2>&1 || status=$?
elapsed=$(($(date +%s) - start))

# The failing walks, one kind each, as the test printed them.
awk '/^QWARN.*seed [0-9]+:/ { p = 1 } /^(FAIL!|PASS|Totals|\*)/ { p = 0 } p' "$log"
sed -n 's/.*walks() walks \([0-9]*\), steps \([0-9]*\), failures \([0-9]*\).*/walks \1, steps \2, failures \3/p' "$log"
echo "elapsed ${elapsed} s"
exit "$status"

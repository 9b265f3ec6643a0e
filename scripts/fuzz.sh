#!/usr/bin/env bash
# Builds the libFuzzer targets into ./build-fuzz (clang, ASan + UBSan) and
# runs each one: first on its saved regressions, then RUNS inputs (default
# 10000) from a copy of its seed corpus. Exits non-zero on any finding.
#   FUZZ_REPLY_SECONDS  time cap of fuzz_reply, whose inputs wait on timers
#                       (default 300)
set -euo pipefail

RUNS=${1:-10000}
REPLY_SECONDS=${FUZZ_REPLY_SECONDS:-300}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

source scripts/setup.sh
install_missing clang libclang-rt-14-dev "${PACKAGES[@]}"

TARGETS=(paramfile reply rackfile text)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DV9_BUILD_FUZZ=ON -DV9_BUILD_TESTS=OFF \
    -DV9_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
build_targets=()
for t in "${TARGETS[@]}"; do build_targets+=(--target "fuzz_$t"); done
cmake --build build-fuzz -j"$(nproc)" "${build_targets[@]}"

export ASAN_OPTIONS=detect_container_overflow=0
export UBSAN_OPTIONS=print_stacktrace=1

failed=()
for t in "${TARGETS[@]}"; do
    exe=build-fuzz/fuzz/fuzz_$t
    work=build-fuzz/fuzz-work/$t
    mkdir -p "$work/corpus" "$work/artifacts"

    regressions=(fuzz/regressions/$t/*)
    if [ -e "${regressions[0]}" ]; then
        echo "== fuzz_$t: ${#regressions[@]} saved regression input(s)"
        if ! "$exe" -artifact_prefix="$work/artifacts/" "${regressions[@]}"; then
            failed+=("fuzz_$t (regressions)")
            continue
        fi
    fi

    # The fuzzer adds what it finds to its corpus: work on a copy.
    cp -f fuzz/corpus/$t/* "$work/corpus/"
    limit=()
    # At a few dozen inputs a second the length limit would grow too slowly
    # to let a reply stream cover the five commands of a run.
    [ "$t" = reply ] && limit=(-max_total_time="$REPLY_SECONDS" -max_len=256 -len_control=0)
    echo "== fuzz_$t: $RUNS runs"
    if ! "$exe" -runs="$RUNS" "${limit[@]}" -artifact_prefix="$work/artifacts/" \
        -print_final_stats=1 "$work/corpus"; then
        failed+=("fuzz_$t")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Findings in: ${failed[*]} (inputs under build-fuzz/fuzz-work/*/artifacts/)" >&2
    exit 1
fi
echo "No findings."

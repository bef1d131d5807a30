#!/usr/bin/env bash
# Fuzzes the readers with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer.
# Usage: scripts/fuzz.sh [RUNS] [TARGET...]   (default 1000000 runs of pcx t3d tar_listing ask)
# Each target starts from its corpus in tests/fuzz/corpus/TARGET; new inputs go to a scratch
# folder, and every crash is copied into the corpus, where ./test.sh replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-1000000}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(pcx t3d tar_listing ask)

scripts/deps.sh build
if ! command -v clang++ >/dev/null || ! dpkg-query -W libclang-rt-dev >/dev/null 2>&1; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get install -y -qq clang libclang-rt-dev
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTOR_FUZZ=ON -DVANTOR_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/%/_fuzzer}"

for target in "${targets[@]}"; do
    scratch=build-fuzz/work/$target
    mkdir -p "$scratch/new" "$scratch/crashes"
    echo "== $target: $runs runs"
    status=0
    (cd "$scratch" && "$OLDPWD/build-fuzz/tests/fuzz/${target}_fuzzer" -runs="$runs" \
        -artifact_prefix=crashes/ -print_final_stats=1 new "$OLDPWD/tests/fuzz/corpus/$target") \
        >/dev/null 2>"$scratch/log" || status=$?
    # The readers' own messages go to standard output: only libFuzzer's lines are kept.
    grep -aE '^stat::number_of_executed_units' "$scratch/log" || true
    grep -aoE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9a-zA-Z]+' "$scratch/log" | tail -1 || true
    for crash in "$scratch"/crashes/*; do
        [ -e "$crash" ] || continue
        cp "$crash" "tests/fuzz/corpus/$target/found-$(basename "$crash")"
        echo "$target: found $(basename "$crash") - kept in tests/fuzz/corpus/$target"
    done
    [ "$status" -eq 0 ] || echo "$target: the fuzzer stopped with status $status (see $scratch/log)"
done

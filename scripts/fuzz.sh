#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UBSan) in their own tree and runs
# each one on its corpus for a while. A crash, a sanitizer report or a broken check fails the run;
# the input that did it is kept in <build>/crashes/.
#   scripts/fuzz.sh [SECONDS [TARGET...]]   default: 60 seconds for every target
#   TAPESTRON_FUZZ_DIR   build folder (default: build-fuzz)
#   TAPESTRON_FUZZ_JOBS  targets run at once (default: 2)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh

seconds=${1:-60}
[[ $# -gt 0 ]] && shift
build=${TAPESTRON_FUZZ_DIR:-build-fuzz}
jobs=${TAPESTRON_FUZZ_JOBS:-2}

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Light optimisation and line tables only: a quick build whose reports still name every line.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAPESTRON_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" >/dev/null
cmake --build "$build" -j2 --target fuzz_targets

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    for folder in tests/fuzz/corpus/*/; do
        targets+=("$(basename "$folder")")
    done
fi

# Each target grows its corpus in the build tree; the seeds in the repository are only read. The
# targets' scratch files go to memory where it can be had.
scratch=$build/fuzz
[[ -d /dev/shm && -w /dev/shm ]] && scratch=$(mktemp -d /dev/shm/tapestron-fuzz.XXXXXX)
trap 'if [[ $scratch == /dev/shm/* ]]; then rm -rf "$scratch"; fi' EXIT
run() {
    local name=$1 work="$build/fuzz/$1"
    mkdir -p "$work/corpus" "$scratch/$name" "$build/crashes"
    TMPDIR="$scratch/$name" "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=30 \
        -rss_limit_mb=3072 -print_final_stats=1 -artifact_prefix="$build/crashes/$name-" \
        "$work/corpus" "tests/fuzz/corpus/$name" >"$work/log" 2>&1
}

failed=()
declare -A pids
for name in "${targets[@]}"; do
    while [[ $(jobs -rp | wc -l) -ge $jobs ]]; do
        wait -n || true
    done
    run "$name" &
    pids[$name]=$!
done
for name in "${targets[@]}"; do
    wait "${pids[$name]}" || failed+=("$name")
    log="$build/fuzz/$name/log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
    printf '%-12s %10s executions in %4s s, corpus %5s files\n' "$name" "${runs:-?}" \
        "${took:-?}" "$(find "$build/fuzz/$name/corpus" "tests/fuzz/corpus/$name" -type f 2>/dev/null | wc -l)"
done
for name in "${failed[@]}"; do
    echo "fuzz_$name failed:"
    tail -n 60 "$build/fuzz/$name/log"
done
[[ ${#failed[@]} -eq 0 ]]

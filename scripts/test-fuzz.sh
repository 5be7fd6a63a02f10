#!/usr/bin/env bash
# Builds every libFuzzer target with ASan+UBSan and runs each for a while on its corpus.
#   scripts/test-fuzz.sh [seconds per target]     default 30
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
jobs="$(nproc)"

targets=($(sed -n 's/^ *vorn_add_fuzzer(\(fuzz_[a-z0-9_]*\).*/\1/p' fuzz/CMakeLists.txt))
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORN_FUZZ=ON -DVORN_SANITIZE=address,undefined >/dev/null
cmake --build build-fuzz -j "$jobs" $(printf -- '--target %s ' "${targets[@]}")

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
run_one() {
    local target="$1" name="${1#fuzz_}"
    # New inputs go to a scratch copy; the committed corpus stays as it is.
    mkdir -p "$work/$name"
    cp -r "fuzz/corpus/$name/." "$work/$name/" 2>/dev/null || true
    if build-fuzz/fuzz/"$target" "$work/$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/$name-" >"$work/$name.log" 2>&1; then
        echo "$target: $(sed -n 's/^stat::number_of_executed_units: //p' "$work/$name.log") runs, clean"
    else
        echo "$target: FAILED"; tail -n 40 "$work/$name.log"; return 1
    fi
}
export -f run_one
export seconds work
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}'

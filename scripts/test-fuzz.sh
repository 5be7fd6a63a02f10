#!/usr/bin/env bash
# Builds every libFuzzer target with ASan+UBSan and runs each for a while, starting from its
# committed corpus and seeds, with its dictionary.
#   scripts/test-fuzz.sh [seconds per target]     default 15
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-15}"
jobs="$(nproc)"

source scripts/fuzz-build.sh
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
run_one() {
    local target="$1" name="${1#fuzz_}"
    # New inputs go to a scratch directory; the committed corpus stays as it is.
    mkdir -p "$work/$name"
    if build-fuzz/fuzz/"$target" "$work/$name" $(fuzz_inputs "$name") \
        $(fuzz_dictionary "$name" "$work") -max_total_time="$seconds" \
        -print_final_stats=1 -artifact_prefix="$work/$name-" >"$work/$name.log" 2>&1; then
        echo "$target: $(sed -n 's/^stat::number_of_executed_units: //p' "$work/$name.log") runs, clean"
    else
        echo "$target: FAILED"; tail -n 40 "$work/$name.log"; return 1
    fi
}
export -f run_one fuzz_inputs fuzz_dictionary
export seconds work
printf '%s\n' "${fuzz_targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}'

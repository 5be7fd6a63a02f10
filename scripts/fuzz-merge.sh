#!/usr/bin/env bash
# Grows the committed corpora: runs each fuzz target for a while from its corpus and seeds, then
# merges what found new coverage back into fuzz/corpus/<target> (-merge=1 keeps the smallest set
# of inputs that covers as much). The seeds' coverage counts, but they stay in fuzz/seeds only.
# Run by hand and commit the result; CI only reads the corpora.
#   scripts/fuzz-merge.sh [seconds per target] [target...]     default 300, every target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-300}"
shift || true

source scripts/fuzz-build.sh
[ $# -gt 0 ] && fuzz_targets=("$@")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
merge_one() {
    local target="$1" name="${1#fuzz_}"
    local fuzzer="build-fuzz/fuzz/$target" new="$work/$name.new" merged="$work/$name.merged"
    mkdir -p "$new" "$merged"
    if ! "$fuzzer" "$new" $(fuzz_inputs "$name") $(fuzz_dictionary "$name" "$work") \
        -max_total_time="$seconds" -artifact_prefix="$work/$name-" >"$work/$name.log" 2>&1; then
        echo "$target: FAILED"; tail -n 40 "$work/$name.log"; return 1
    fi
    if [ -d "fuzz/seeds/$name" ]; then
        for seed in "fuzz/seeds/$name"/*; do cp "$seed" "$merged/seed-${seed##*/}"; done
    fi
    local corpus=()
    [ -d "fuzz/corpus/$name" ] && corpus=("fuzz/corpus/$name")
    "$fuzzer" -merge=1 "$merged" "${corpus[@]}" "$new" >>"$work/$name.log" 2>&1
    rm -f "$merged"/seed-*
    rm -rf "fuzz/corpus/$name"
    mkdir -p "fuzz/corpus/$name"
    cp -r "$merged/." "fuzz/corpus/$name/"
    echo "$target: $(ls "fuzz/corpus/$name" | wc -l) inputs beside the seeds"
}
export -f merge_one fuzz_inputs fuzz_dictionary
export seconds work
printf '%s\n' "${fuzz_targets[@]}" | xargs -P "$(nproc)" -I{} bash -c 'merge_one {}'

#!/usr/bin/env bash
# Configures (once) and builds into build/; extra arguments are build targets. CI builds each
# tree once from scratch, so there it compiles as a unity build (fewer, larger translation
# units); a developer's tree keeps one unit per file for quick rebuilds.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/build.ninja ]; then
    unity=OFF
    [ "${CI:-}" = true ] && unity=ON
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD="$unity"
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build -j "$(nproc)" "${targets[@]}"

#!/usr/bin/env bash
# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# speed-test engine (the transfer thread) under ThreadSanitizer. Qt is not built with
# ThreadSanitizer, so code whose threads synchronise inside Qt is reported wrongly: the
# per-application sampler's QThread, and the window's Qt Gui threads. Their thread tests run in
# the two suites only. Both sanitizer trees are unity builds: compiled once, never edited in,
# so the fewer and larger translation units only save time.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
source scripts/stage-timer.sh

stage "ASan build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DCMAKE_UNITY_BUILD=ON -DVORN_SANITIZE=address,undefined -DVORN_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
stage "ASan suite"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600

stage "TSan build"
tsan_tests=(tests/speedtest/speedtest_engine_tests tests/speedtest/speedtest_end_to_end_tests)
cmake -S . -B build-tsan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_UNITY_BUILD=ON -DVORN_SANITIZE=thread \
    -DVORN_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" $(printf -- '--target %s ' "${tsan_tests[@]##*/}")
stage "TSan run"
for test in "${tsan_tests[@]}"; do
    echo "ThreadSanitizer: ${test##*/}"
    QT_QPA_PLATFORM=offscreen \
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp" \
        "build-tsan/$test" --gtest_brief=1
done
stage_end

#!/usr/bin/env bash
# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# speed-test engine (the one part with a worker thread) under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DVORN_SANITIZE=address,undefined -DVORN_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600

tsan_tests=(speedtest_engine_tests speedtest_end_to_end_tests)
cmake -S . -B build-tsan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DVORN_SANITIZE=thread -DVORN_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" $(printf -- '--target %s ' "${tsan_tests[@]}")
for test in "${tsan_tests[@]}"; do
    echo "ThreadSanitizer: $test"
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp" \
        "build-tsan/tests/speedtest/$test" --gtest_brief=1
done

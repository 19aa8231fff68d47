#!/usr/bin/env bash
# Builds and runs every test: the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the serial component's tests once more under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

jobs=$(nproc)

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLASH410_SANITIZE="address;undefined" \
      -DFLASH410_BENCHMARKS=OFF
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 300

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLASH410_SANITIZE=thread -DFLASH410_SERIAL_ONLY=ON
cmake --build build/tsan -j "$jobs"
ctest --test-dir build/tsan --output-on-failure --timeout 300

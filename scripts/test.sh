#!/usr/bin/env bash
# Builds and runs every test: the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the naming rules of .clang-tidy over the program and the simulator, then the serial component's
# tests once more under ThreadSanitizer, then the Intel HEX reader under libFuzzer for about a minute.
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
ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 300 | tee build/asan/ctest.log

# The naming rules, checked with the ASan build's compile database (its generated headers exist by now).
# Headers are checked through the sources that include them; generated ones in the build folder are not.
# Any warning fails the script.
tidy_started=$SECONDS
if ! run-clang-tidy-14 -p build/asan -j "$jobs" -quiet -header-filter="^$PWD/(src|tools)/" \
        "^$PWD/(src|tools)/.*\.cpp\$" > build/asan/clang-tidy.log 2>&1 ||
        grep -q "warning:" build/asan/clang-tidy.log; then
    grep -E "warning:|error:" build/asan/clang-tidy.log | sort -u
    echo "clang-tidy: naming rules broken (whole output in build/asan/clang-tidy.log)"
    exit 1
fi
echo "clang-tidy: naming rules hold ($((SECONDS - tidy_started)) s)"

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLASH410_SANITIZE=thread -DFLASH410_SERIAL_ONLY=ON
cmake --build build/tsan -j "$jobs"
ctest --test-dir build/tsan --output-on-failure --timeout 300 | tee build/tsan/ctest.log

# The fuzzer starts from the seed corpus in the repository and keeps what it finds in the build folder; any
# crash, sanitizer report or failed check ends the run with an error.
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DFLASH410_SANITIZE="address;undefined" -DFLASH410_FUZZ=ON -DFLASH410_BENCHMARKS=OFF
cmake --build build/fuzz -j "$jobs" --target hex_reader_fuzzer
mkdir -p build/fuzz/corpus build/fuzz/findings
build/fuzz/tests/image/fuzz/hex_reader_fuzzer -max_total_time=60 -max_len=4096 -print_final_stats=1 \
      -artifact_prefix=build/fuzz/findings/ build/fuzz/corpus tests/image/fuzz/corpus

# One closing line for both suites (the fuzzer's statistics would otherwise end the output).
total=0
failed=0
for log in build/asan/ctest.log build/tsan/ctest.log; do
    summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    failed=$((failed + $(sed -E 's/.* ([0-9]+) tests failed out of.*/\1/' <<< "$summary")))
    total=$((total + $(sed -E 's/.*out of ([0-9]+).*/\1/' <<< "$summary")))
done
echo "$((total - failed)) passed, $failed failed"

#!/usr/bin/env bash
# Builds and runs every test: first the checks that every include points down the layers
# (scripts/check-layering.sh) and that every file is in the tree's format (scripts/check-format.sh), then
# the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, the whole suite again in an
# optimised build without sanitizers (where faults of timing show that the slower builds hide), the fault
# campaign (tools/fault-campaign) with a fixed seed and with the seed of the day, the naming
# rules of .clang-tidy over the program and the simulator, then the serial component's tests once more
# under ThreadSanitizer, then the Windows build's tests under Wine (scripts/build-windows.sh), then whole
# uploads through real serial drivers in a Linux guest (scripts/vm-tests.sh), then the fuzzers (the Intel
# HEX reader, the reply scanner and the whole dialogue) under libFuzzer for a minute. A suite with failures,
# a wrong include, a file off the format or a broken naming rule does not stop the others; the closing line
# counts the tests of every suite, and the script fails at the end when any test, any check or a fuzzer did.
#
# scripts/test.sh --quick checks the layering and the format, and builds and runs the whole suite once,
# under the sanitizers, and nothing else: for development between changes, never for CI.
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
case "${1:-}" in
    --quick) quick=1 ;;
    "") ;;
    *) echo "Usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac
source scripts/lib.sh
# The time each leg takes, listed at the end, so that the next slow leg shows itself.
leg_times=()
leg_started=$SECONDS
leg_done() {
    leg_times+=("$(printf '%-36s %5d s' "$1" $((SECONDS - leg_started)))")
    leg_started=$SECONDS
}
bash scripts/install-deps.sh
leg_done "dependencies"

# Every build goes through ccache, which keys its objects by paths relative to the clone, so that a
# second clone, or a build type built before, compiles only what changed.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
launcher=$(compiler_launcher)

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

jobs=$(nproc)
# Most tests wait on a line, a modem or a timer rather than compute: twice as many at once as there are
# cores keeps the cores busy.
test_jobs=$((2 * jobs))
suites=()

# Runs the tests of one build folder in parallel, keeping the output in its ctest.log.
run_suite() {
    local folder=$1
    shift
    suites+=("$folder/ctest.log")
    ctest --test-dir "$folder" --output-on-failure --timeout 300 "$@" 2>&1 | tee "$folder/ctest.log" || true
}

# Dependencies point one way, and every file is in the tree's format: checked first, as they take no
# build, and their failure stops no suite.
layering_failed=0
bash scripts/check-layering.sh || layering_failed=1
format_failed=0
bash scripts/check-format.sh || format_failed=1
leg_done "layering and format"

# Line tables are all that the sanitizers' reports need: full debug information would double the objects
# and the time their links take.
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLASH410_SANITIZE="address;undefined" \
      -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DFLASH410_BENCHMARKS=OFF $launcher
cmake --build build/asan -j "$jobs"
run_suite build/asan -j "$test_jobs"
leg_done "sanitizers: build and suite"

if [ "$quick" -eq 1 ]; then
    bash scripts/check-layering.sh
    bash scripts/check-format.sh
    read -r passed failed < <(suite_counts build/asan/ctest.log)
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
fi

# The same folder and type as scripts/run.sh, so that the program it starts is already built.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFLASH410_BENCHMARKS=OFF $launcher
cmake --build build/release -j "$jobs"
run_suite build/release -j "$test_jobs"
leg_done "optimised: build and suite"

# The fault campaign on its virtual clock: 2,000 plans from a fixed seed and 2,000 from the seed of the
# day, side by side (a breach names its seed and plan, which replay it); each run's count joins the others.
campaigns=()
for seed in 410 today; do
    suites+=("build/release/fault-campaign-$seed.log")
    build/release/tools/fault-campaign/fault-campaign --seed "$seed" --plans 2000 \
        > "build/release/fault-campaign-$seed.log" &
    campaigns+=($!)
done
for campaign in "${campaigns[@]}"; do
    wait "$campaign" || true
done
for seed in 410 today; do
    grep -A 3 "^BREACH" "build/release/fault-campaign-$seed.log" || true
    tail -n 9 "build/release/fault-campaign-$seed.log"
done
leg_done "fault campaign"

# The naming rules, checked with the ASan build's compile database (its generated headers exist by now).
# Headers are checked through the sources that include them; generated ones in the build folder are not.
# Any warning fails the script, once every other suite has run.
tidy_started=$SECONDS
tidy_failed=0
if ! run-clang-tidy-14 -p build/asan -j "$jobs" -quiet -header-filter="^$PWD/(src|tools)/" \
        "^$PWD/(src|tools)/.*\.cpp\$" > build/asan/clang-tidy.log 2>&1 ||
        grep -q "warning:" build/asan/clang-tidy.log; then
    grep -E "warning:|error:" build/asan/clang-tidy.log | sort -u
    echo "clang-tidy: naming rules broken (whole output in build/asan/clang-tidy.log)"
    tidy_failed=1
else
    echo "clang-tidy: naming rules hold ($((SECONDS - tidy_started)) s)"
fi

leg_done "naming rules (clang-tidy)"

# The serial component's thread and its tests, and nothing else, under ThreadSanitizer.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLASH410_SANITIZE=thread -DFLASH410_SERIAL_ONLY=ON \
      $launcher
cmake --build build/tsan -j "$jobs" --target serial_tests test_support_serial_tests
run_suite build/tsan -j "$jobs" -L serial
leg_done "ThreadSanitizer: build and suite"

# The Windows build (the Qt-free parts and the native window), its tests run under Wine; its ctest.log, its
# whole uploads' results and its packages' (installed under Wine) join the count (a build that fails leaves
# none, which counts as a failure).
suites+=("build/windows/ctest.log" "build/windows/upload-tests/results.log"
         "build/windows/window-tests/results.log" "build/windows/package-tests/results.log")
windows_failed=0
bash scripts/build-windows.sh || windows_failed=1
leg_done "Windows: build and tests under Wine"

# Whole uploads through the kernel's own serial drivers, a USB-serial adapter and a 16550, in a Linux guest
# under QEMU (scripts/vm-tests.sh), with the optimised build's programs; its results join the count.
suites+=("build/release/vm-tests/results.log")
bash scripts/vm-tests.sh build/release || true
leg_done "real serial drivers in the guest"

# The fuzzers, a minute each and all at once: the Intel HEX reader, the reply scanner, and the whole dialogue
# with the modem's side as the input. Each starts from its seed corpus in the repository (the dialogue's
# made from capture logs of real uploads) and keeps what it finds in the build folder; any crash,
# sanitizer report or broken promise ends its run with an error, and its input stays in build/fuzz/findings.
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DFLASH410_SANITIZE="address;undefined" -DFLASH410_FUZZ=ON -DFLASH410_BENCHMARKS=OFF $launcher
cmake --build build/fuzz -j "$jobs" --target hex_reader_fuzzer reply_scanner_fuzzer dialogue_fuzzer
fuzzer_failed=0
fuzz() {
    local name=$1 folder=$2 corpus=$3 max_len=$4
    mkdir -p "build/fuzz/corpus/$name" build/fuzz/findings
    "build/fuzz/tests/$folder/fuzz/$name" -max_total_time=60 -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="build/fuzz/findings/$name-" "build/fuzz/corpus/$name" "tests/$folder/fuzz/$corpus" \
        > "build/fuzz/$name.log" 2>&1
}
fuzz hex_reader_fuzzer image corpus 4096 & hex_fuzzer=$!
fuzz reply_scanner_fuzzer upload dialogue-corpus 512 & scanner_fuzzer=$!
fuzz dialogue_fuzzer upload dialogue-corpus 4096 & dialogue_fuzzer=$!
for fuzzer in "$hex_fuzzer" "$scanner_fuzzer" "$dialogue_fuzzer"; do
    wait "$fuzzer" || fuzzer_failed=1
done
for name in hex_reader_fuzzer reply_scanner_fuzzer dialogue_fuzzer; do
    grep -E "^stat::number_of_executed_units|^==[0-9]+==|^SUMMARY|broken promise" "build/fuzz/$name.log" |
        sed "s/^/$name: /" || true
done
leg_done "fuzzers: build and a minute"

# One closing line for all suites (the fuzzer's statistics would otherwise end the output). A suite that
# ended without its summary (ctest itself failed) counts as one failure.
passed=0
failed=0
for log in "${suites[@]}"; do
    read -r suite_passed suite_failed < <(suite_counts "$log")
    passed=$((passed + suite_passed))
    failed=$((failed + suite_failed))
done
echo "Time each leg took:"
printf '    %s\n' "${leg_times[@]}"
[ "$fuzzer_failed" -eq 0 ] || echo "A fuzzer found a fault: see build/fuzz/*.log and build/fuzz/findings"
[ "$windows_failed" -eq 0 ] || echo "The Windows build failed: see the output of scripts/build-windows.sh"
[ "$tidy_failed" -eq 0 ] || echo "The naming rules are broken: see build/asan/clang-tidy.log"
[ "$layering_failed" -eq 0 ] || echo "An include points the wrong way: see the layering check above"
[ "$format_failed" -eq 0 ] || echo "A file is off the tree's format: see the format check above"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$fuzzer_failed" -eq 0 ] && [ "$windows_failed" -eq 0 ] && [ "$tidy_failed" -eq 0 ] &&
    [ "$layering_failed" -eq 0 ] && [ "$format_failed" -eq 0 ]

#!/usr/bin/env bash
# Whole uploads by the Windows flash410-cli.exe under Wine against the Linux modem-sim: the simulator's
# pseudo-terminal becomes Wine's COM6 through the link dosdevices/com6, and after each upload the flash it
# received must equal what the Linux program prepares from the same file. Faults included.
#
# Usage: wine-upload-tests.sh LINUX_BUILD WINDOWS_CLI WORK_FOLDER   (WINEPREFIX set by the caller)
# Writes WORK_FOLDER/results.log and ends with "N passed, N failed".
#
# With WINE_UPLOAD_BENCH_BLOCKS=N it only times an upload of N blocks at 38400 through a simulator that
# paces the line like a cable, once by the Linux program and once by the Windows one under Wine.
set -uo pipefail

linux_build=$(realpath "$1")
windows_cli=$(realpath "$2")
work=$3
sim=$linux_build/app/modem-sim
linux_cli=$linux_build/app/flash410-cli
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
results=$work/results.log
: > "$results"
passed=0
failed=0

# The firmware: a flat binary of 40 blocks and the simulator's sample Intel HEX file, each with the flash
# the Linux program expects the modem to end up holding. The binary's bytes come from a fixed seed, so a
# failure can be replayed with the same firmware (FLASH410_UPLOAD_SEED=N tries another).
seed=${FLASH410_UPLOAD_SEED:-410}
echo "firmware from seed $seed" | tee -a "$results"
perl -e 'srand($ARGV[0]); print pack("C*", map { int(rand(256)) } 1 .. $ARGV[1])' "$seed" $((40 * 1024)) \
    > "$work/fw.bin"
"$sim" --make-sample "$work/sample.hex" > /dev/null
mkdir -p "$work/linux"
cp "$work/sample.hex" "$work/linux/"
"$linux_cli" prepare "$work/linux/sample.hex" > /dev/null

# The flash after an upload of the file holds the file's bytes where the file put them.
flash_holds() {
    local file=$1 flash=$2
    case "$file" in
        *.bin) cmp -s -n "$(stat -c %s "$work/$file")" "$work/$file" "$flash" ;;
        *.hex) cmp -s "$work/linux/sample.BIN" "$flash" ;;
    esac
}

# run_case NAME EXPECTED_STATUS FILE "CLI OPTIONS" SIM OPTIONS...
run_case() {
    local name=$1 expected=$2 file=$3 cli_options=$4
    shift 4
    local log=$work/$name-sim.log flash=$work/$name-flash.bin
    start_modem "$log" --uploads 1 --end-on-close --erase-seconds 0 --image "$flash" "$@"
    ln -sfn "$device" "$WINEPREFIX/dosdevices/com6"
    local status=0
    # shellcheck disable=SC2086  # the options are words
    (cd "$work" && timeout 600 wine "$windows_cli" upload --port 6 $cli_options "$file") \
        > "$work/$name-cli.log" 2>&1 || status=$?
    wait "$sim_pid" 2> /dev/null
    local verdict="passed"
    if [ "$status" -ne "$expected" ]; then
        verdict="FAILED (exit status $status, expected $expected)"
    elif [ "$expected" -eq 0 ] && ! flash_holds "$file" "$flash"; then
        verdict="FAILED (the flash does not hold $file)"
    fi
    if [ "$verdict" = "passed" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        sed 's/^/    /' "$work/$name-cli.log" "$log" >> "$results"
    fi
    echo "$name: $verdict" | tee -a "$results"
    rm -f "$flash"
}

# start_modem LOG OPTIONS...: starts the simulator and sets device to its pseudo-terminal.
start_modem() {
    local log=$1
    shift
    "$sim" "$@" > "$log" 2>&1 &
    sim_pid=$!
    device=""
    for _ in $(seq 100); do
        device=$(sed -n 's/^modem-sim: the modem is on \(.*\)$/\1/p' "$log")
        [ -n "$device" ] && return 0
        sleep 0.1
    done
    return 1
}

if [ -n "${WINE_UPLOAD_BENCH_BLOCKS:-}" ]; then
    head -c $((WINE_UPLOAD_BENCH_BLOCKS * 1024)) /dev/urandom > "$work/bench.bin"
    for side in linux windows; do
        start_modem "$work/bench-$side-sim.log" --uploads 1 --end-on-close --erase-seconds 0 --no-image --baud port
        started=$(date +%s.%N)
        if [ "$side" = linux ]; then
            (cd "$work" && "$linux_cli" upload --quiet --port "$device" bench.bin)
        else
            ln -sfn "$device" "$WINEPREFIX/dosdevices/com6"
            (cd "$work" && wine "$windows_cli" upload --quiet --port 6 bench.bin)
        fi
        ended=$(date +%s.%N)
        wait "$sim_pid" 2> /dev/null
        echo "$side: $WINE_UPLOAD_BENCH_BLOCKS blocks at 38400 in $(awk "BEGIN { printf \"%.1f\", $ended - $started }") s (start to end)"
        grep "complete" "$work/bench-$side-sim.log" | sed 's/^/    /'
    done
    exit 0
fi

run_case plain-38400 0 fw.bin "--baud 38400"
run_case plain-19200 0 fw.bin "--baud 19200"
run_case intel-hex 0 sample.hex ""
run_case erase-errors-corrupt-blocks 0 fw.bin "" --erase-errors 2 --corrupt-every 5
run_case short-forms-noise-split 0 fw.bin "" --short-forms --noise 4 --split-replies 3
run_case unknown-reply-ready-late 0 fw.bin "" --unknown-reply-after 3 --ready-after 3
run_case modem-failed 1 fw.bin "" --fail-after 10
run_case never-ready 4 fw.bin "--timeout 2" --never-ready

# A port with no device behind it.
rm -f "$WINEPREFIX/dosdevices/com9"
status=0
(cd "$work" && wine "$windows_cli" upload --port 9 fw.bin) > "$work/missing-port-cli.log" 2>&1 || status=$?
if [ "$status" -eq 3 ] && grep -q "COM9" "$work/missing-port-cli.log"; then
    passed=$((passed + 1))
    echo "missing-port: passed" | tee -a "$results"
else
    failed=$((failed + 1))
    echo "missing-port: FAILED (exit status $status)" | tee -a "$results"
    sed 's/^/    /' "$work/missing-port-cli.log" >> "$results"
fi

echo "$passed passed, $failed failed" | tee -a "$results"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Whole uploads by the Windows flash410-cli.exe under Wine against the Linux modem-sim: the simulator's
# pseudo-terminal becomes Wine's COM6 through the link dosdevices/com6, and after each upload the flash it
# received must equal what the Linux program prepares from the same file. Faults included, and a second
# program on the port of a running upload.
#
# Usage: wine-upload-tests.sh LINUX_BUILD WINDOWS_CLI WORK_FOLDER   (WINEPREFIX set by the caller)
# Writes WORK_FOLDER/results.log and ends with "N passed, N failed".
#
# With WINE_UPLOAD_BENCH_BLOCKS=N it only times an upload of N blocks at 38400 through a simulator that
# paces the line like a cable, once by the Linux program and once by the Windows one under Wine.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

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
# The modem is COM6, or the port that the variable port names ("port=COM20 run_case ...").
run_case() {
    local name=$1 expected=$2 file=$3 cli_options=$4
    shift 4
    local log=$work/$name-sim.log flash=$work/$name-flash.bin
    local com_port=${port:-6}
    local link=$WINEPREFIX/dosdevices/com${com_port#COM}
    start_modem "$log" --uploads 1 --end-on-close --erase-seconds 0 --image "$flash" "$@"
    ln -sfn "$device" "$link"
    local status=0
    # shellcheck disable=SC2086  # the options are words
    (cd "$work" && timeout 600 wine "$windows_cli" upload --port "$com_port" $cli_options "$file") \
        > "$work/$name-cli.log" 2>&1 || status=$?
    [ "$com_port" = 6 ] || rm -f "$link"
    wait "$sim_pid" 2> /dev/null
    local verdict="passed"
    if [ "$status" -ne "$expected" ]; then
        verdict="FAILED (exit status $status, expected $expected)"
    elif [ "$expected" -eq 0 ] && ! flash_holds "$file" "$flash"; then
        verdict="FAILED (the flash does not hold $file)"
    fi
    record "$name" "$verdict" "$work/$name-cli.log" "$log"
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
        device=$(sed -n 's/^modem-sim: the modem is on \(.*\)$/\1/p' "$log" 2> /dev/null)
        [ -n "$device" ] && return 0
        sleep 0.1
    done
    return 1
}

# start_modem_on_com N LOG OPTIONS...: a simulator as Wine's COMn; its process joins sim_pids.
sim_pids=()
start_modem_on_com() {
    local com=$1
    shift
    start_modem "$@" || return 1
    ln -sfn "$device" "$WINEPREFIX/dosdevices/com$com"
    sim_pids+=("$sim_pid")
}

# end_modems: the simulators of start_modem_on_com, ended (those that did not end with their upload).
end_modems() {
    kill "${sim_pids[@]}" 2> /dev/null
    wait "${sim_pids[@]}" 2> /dev/null
    sim_pids=()
}

# The numbers in a simulator's summary line: "blocks stored N" and "bytes received N".
stored_blocks() { sed -n 's/.*blocks stored \([0-9]*\).*/\1/p' "$1"; }
received_bytes() { sed -n 's/.*bytes received \([0-9]*\).*/\1/p' "$1"; }

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
# Windows numbers COM ports up to 255: the number goes through to the device opened, \\.\COM20 and up.
port=20 run_case port-20 0 fw.bin ""
port=COM255 run_case port-com255 0 fw.bin ""
run_case erase-errors-corrupt-blocks 0 fw.bin "" --erase-errors 2 --corrupt-every 5
run_case short-forms-noise-split 0 fw.bin "" --short-forms --noise 4 --split-replies 3
run_case unknown-reply-ready-late 0 fw.bin "" --unknown-reply-after 3 --ready-after 3
run_case modem-failed 1 fw.bin "" --fail-after 10
run_case never-ready 4 fw.bin "--timeout 2" --never-ready

# A second program on the COM port of a running upload is refused as busy (status 3), and the running
# upload goes on to the right flash. The simulator is stopped until the second program has had its try,
# so that the first is still waiting for READY then, however slowly Wine starts.
start_modem "$work/busy-port-sim.log" --uploads 1 --end-on-close --erase-seconds 0 \
    --image "$work/busy-port-flash.bin"
ln -sfn "$device" "$WINEPREFIX/dosdevices/com6"
kill -STOP "$sim_pid"
(cd "$work" && timeout 600 wine "$windows_cli" upload --port 6 fw.bin) > "$work/busy-port-first-cli.log" 2>&1 &
first_pid=$!
for _ in $(seq 600); do
    grep -q "waiting for READY" "$work/busy-port-first-cli.log" && break
    sleep 0.1
done
second_status=0
(cd "$work" && timeout 600 wine "$windows_cli" upload --port COM6 fw.bin) > "$work/busy-port-second-cli.log" 2>&1 ||
    second_status=$?
kill -CONT "$sim_pid"
first_status=0
wait "$first_pid" || first_status=$?
wait "$sim_pid" 2> /dev/null
if [ "$second_status" -eq 3 ] && grep -q "COM6.*Another program is using it" "$work/busy-port-second-cli.log" &&
   [ "$first_status" -eq 0 ] && flash_holds fw.bin "$work/busy-port-flash.bin"; then
    passed=$((passed + 1))
    echo "busy-port: passed" | tee -a "$results"
else
    failed=$((failed + 1))
    echo "busy-port: FAILED (exit status $second_status for the second program, $first_status for the first)" |
        tee -a "$results"
    sed 's/^/    /' "$work/busy-port-first-cli.log" "$work/busy-port-second-cli.log" "$work/busy-port-sim.log" \
        >> "$results"
fi
rm -f "$work/busy-port-flash.bin"

# A port with no device behind it.
rm -f "$WINEPREFIX/dosdevices/com9"
status=0
(cd "$work" && wine "$windows_cli" upload --port 9 fw.bin) > "$work/missing-port-cli.log" 2>&1 || status=$?
verdict="passed"
if [ "$status" -ne 3 ] || ! grep -q "COM9" "$work/missing-port-cli.log"; then
    verdict="FAILED (exit status $status)"
fi
record missing-port "$verdict" "$work/missing-port-cli.log"

# Three ports stopped by Ctrl+C (SIGINT) a few blocks in: the program ends at once with status 130, and each
# modem heard nothing after the block it was receiving.
for com in 6 7 8; do
    start_modem_on_com "$com" "$work/stop-com$com-sim.log" --uploads 1 --end-on-close --erase-seconds 0 \
        --no-image --baud port
done
(cd "$work" && exec wine "$windows_cli" upload --port 6 --port 7 --port 8 fw.bin) > "$work/stop-cli.log" 2>&1 &
cli_pid=$!
sleep 4  # about 14 of the 40 blocks at 38400 baud, or fewer on a slow machine: either way some remain
signalled=$(date +%s.%N)
pkill -INT -f "$(basename "$windows_cli") upload --port 6 --port 7 --port 8"
status=0
wait "$cli_pid" || status=$?
ended=$(date +%s.%N)
for pid in "${sim_pids[@]}"; do wait "$pid" 2> /dev/null; done
sim_pids=()
verdict="passed"
[ "$status" -eq 130 ] || verdict="FAILED (exit status $status, expected 130)"
for com in 6 7 8; do
    log=$work/stop-com$com-sim.log
    blocks=$(stored_blocks "$log")
    bytes=$(received_bytes "$log")
    # UP BULK and GO (11 bytes), the blocks stored and at most the one on the line when the stop came.
    if [ -z "$blocks" ] || [ "$blocks" -ge 40 ] || [ "$bytes" -gt $((11 + (blocks + 1) * 1031)) ]; then
        verdict="FAILED (COM$com: ${blocks:-no} blocks stored, ${bytes:-no} bytes received)"
    elif ! grep -q "COM$com: Upload stopped by the operator" "$work/stop-cli.log"; then
        verdict="FAILED (COM$com does not say where it stopped)"
    fi
done
record three-ports-stopped "$verdict" "$work/stop-cli.log" "$work"/stop-com*-sim.log
echo "    (the program ended $(awk "BEGIN { printf \"%.2f\", $ended - $signalled }") s after the signal)" |
    tee -a "$results"

# A third modem that goes silent times out on its own time while the other two complete their uploads.
start_modem_on_com 6 "$work/silent-com6-sim.log" --uploads 1 --end-on-close --erase-seconds 0 --baud port \
    --image "$work/silent-com6-flash.bin"
start_modem_on_com 7 "$work/silent-com7-sim.log" --uploads 1 --end-on-close --erase-seconds 0 --baud port \
    --image "$work/silent-com7-flash.bin"
start_modem_on_com 8 "$work/silent-com8-sim.log" --uploads 1 --end-on-close --erase-seconds 0 --baud port \
    --no-image --silence block:3:120
status=0
(cd "$work" && timeout 600 wine "$windows_cli" upload --timeout 3 --port 6 --port 7 --port 8 fw.bin) \
    > "$work/silent-cli.log" 2>&1 || status=$?
end_modems
timed_out=$(grep -n "COM8: Timed out" "$work/silent-cli.log" | cut -d: -f1)
verdict="passed"
if [ "$status" -ne 4 ] || [ -z "$timed_out" ]; then
    verdict="FAILED (exit status $status, expected 4 and COM8 timed out)"
fi
for com in 6 7; do
    completed=$(grep -n "COM$com: Upload complete" "$work/silent-cli.log" | cut -d: -f1)
    if [ -z "$completed" ] || ! flash_holds fw.bin "$work/silent-com$com-flash.bin"; then
        verdict="FAILED (COM$com did not complete with the right flash)"
    elif [ -n "$timed_out" ] && [ "$completed" -lt "$timed_out" ]; then
        verdict="FAILED (COM8's time-out was told only after COM$com completed)"
    fi
done
record silent-third-port "$verdict" "$work/silent-cli.log" "$work"/silent-com*-sim.log

# Names in any language, as a Windows user's folders have them: prepared and uploaded, the capture beside.
folder="café 日本"
mkdir -p "$work/$folder"
cp "$work/fw.bin" "$work/$folder/fé.bin"
cp "$work/fw.bin" "$work/linux/fw.bin"
"$linux_cli" prepare "$work/linux/fw.bin" > /dev/null
status=0
(cd "$work" && LC_ALL=C.UTF-8 wine "$windows_cli" prepare "$folder\\fé.bin") > "$work/names-prepare.log" 2>&1 ||
    status=$?
verdict="passed"
if [ "$status" -ne 0 ] || ! grep -qF "Upload image: $folder\\fé.VXF" "$work/names-prepare.log"; then
    verdict="FAILED (prepare: exit status $status, or the image named otherwise)"
elif ! cmp -s "$work/$folder/fé.VXF" "$work/linux/fw.VXF"; then
    verdict="FAILED (prepare: $folder/fé.VXF is not the image the Linux program makes)"
fi
record names-in-any-language-prepare "$verdict" "$work/names-prepare.log"
start_modem_on_com 6 "$work/names-sim.log" --uploads 1 --end-on-close --erase-seconds 0 \
    --image "$work/names-flash.bin"
status=0
(cd "$work" && LC_ALL=C.UTF-8 timeout 600 wine "$windows_cli" upload --port 6 --capture "$folder\\capture é.txt" \
    "$folder\\fé.bin") > "$work/names-cli.log" 2>&1 || status=$?
end_modems
verdict="passed"
if [ "$status" -ne 0 ] || ! flash_holds fw.bin "$work/names-flash.bin"; then
    verdict="FAILED (upload: exit status $status, or the flash does not hold the file)"
elif ! grep -q "^\[start\]" "$work/$folder/capture é.txt" 2> /dev/null; then
    verdict="FAILED (upload: no capture file $folder/capture é.txt)"
fi
record names-in-any-language-upload "$verdict" "$work/names-cli.log" "$work/names-sim.log"

# check_output NAME EXPECTED_STATUS CHECK ARGUMENTS...: flash410-cli.exe run with the arguments must end
# with the status, and the function CHECK must succeed on the file that holds its output.
check_output() {
    local name=$1 expected=$2 check=$3 status=0
    shift 3
    (cd "$work" && wine "$windows_cli" "$@") > "$work/$name-cli.log" 2>&1 || status=$?
    local verdict="passed"
    if [ "$status" -ne "$expected" ]; then
        verdict="FAILED (exit status $status, expected $expected)"
    elif ! "$check" "$work/$name-cli.log"; then
        verdict="FAILED (the output is not as it should be)"
    fi
    record "$name" "$verdict" "$work/$name-cli.log"
}

# The Windows program's words: its help names COM ports and the console's keys, and none of Linux's
# devices and signals; a wrong argument gets one line saying what is wrong and where the help is.
help_in_windows_words() {
    grep -qF '\\.\COM5' "$1" && grep -qF 'Ctrl+Break' "$1" && ! grep -qE 'SIGTERM|SIGHUP|/dev/|ports/comN' "$1"
}
one_line_for_the_baud() {
    [ "$(tr -d '\r' < "$1")" = "--baud takes 19200 or 38400, not \"9600\". Try 'flash410-cli upload --help'." ]
}
check_output windows-help 0 help_in_windows_words upload '/?'
check_output wrong-argument 2 one_line_for_the_baud upload --baud 9600 fw.bin

echo "$passed passed, $failed failed" | tee -a "$results"
[ "$failed" -eq 0 ]

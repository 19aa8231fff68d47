#!/usr/bin/env bash
# Whole uploads through the Windows window program, Flash410.exe, under Wine, worked from another process
# as an operator works it: window_driver.exe picks port 6, presses Start Upload, opens and closes the help,
# chooses the firmware in the program's chooser (its drive, its folders one by one, its type, the file,
# OK), presses Start Upload on the run panel and waits for the window's words, while the Linux modem-sim
# is Wine's COM6 (its pseudo-terminal linked as dosdevices/com6). An upload image and an Intel HEX file go
# through, and the flash the simulator received must equal what the Linux program prepares from the same
# file; a modem that answers FAILED, Go Back to Start in the middle and a missing port each end with the
# window's words. The window's screens are kept as WORK_FOLDER/screenshots/*.png (*.bmp without netpbm).
#
# Usage: wine-window-tests.sh LINUX_BUILD WINDOWS_BUILD WORK_FOLDER   (WINEPREFIX and DISPLAY set by the
# caller: Wine needs an X display for a window, such as Xvfb's)
# Writes WORK_FOLDER/results.log and ends with "N passed, N failed".
set -uo pipefail
scripts=$(realpath "$(dirname "$0")")
source "$scripts/lib.sh"

linux_build=$(realpath "$1")
windows_build=$(realpath "$2")
work=$3
sim=$linux_build/app/modem-sim
linux_cli=$linux_build/app/flash410-cli
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
: "${DISPLAY:?DISPLAY must name an X display for the window}"
# Names in other languages pass through Wine as UTF-8.
export LC_ALL=C.UTF-8
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
results=$work/results.log
: > "$results"
passed=0
failed=0

# The program in a folder of its own, as an engineer copies it: it keeps its port and capture beside itself.
program=$work/program
mkdir -p "$program" "$work/screenshots"
cp "$windows_build/app/Flash410.exe" "$windows_build/app/VNLflash.HLP" "$program/"

# The firmware, in a folder named in other languages: the simulator's sample Intel HEX file, made into an
# upload image by the Linux program, which also gives the flash the modem must end up holding.
firmware="$work/fw café 日本"
mkdir -p "$firmware"
"$sim" --make-sample "$firmware/sample.hex" > /dev/null
"$linux_cli" prepare "$firmware/sample.hex" > /dev/null

# window_case NAME ENDING PORT [SIMULATOR OPTION]...: one run of the program, worked by window_driver.exe
# to the ending asked for (see window_driver.cpp) through COM PORT, the file $chosen picked in the
# chooser. With simulator options, the simulator is that port (and stays until the window closes it, as a
# modem stays on its cable); without, the port has no device. Leaves the driver's exit status in $status
# and whether the program did not end in $ended.
window_case() {
    local name=$1 ending=$2 port=$3
    shift 3
    local sim_pid="" device="" window_pid shots=()
    rm -f "$WINEPREFIX/dosdevices/com$port"
    if [ $# -gt 0 ]; then
        "$sim" --end-on-close "$@" > "$work/$name-sim.log" 2>&1 &
        sim_pid=$!
        for _ in $(seq 100); do
            device=$(sed -n 's/^modem-sim: the modem is on \(.*\)$/\1/p' "$work/$name-sim.log" 2> /dev/null)
            [ -n "$device" ] && break
            sleep 0.1
        done
        ln -sfn "$device" "$WINEPREFIX/dosdevices/com$port"
    else
        : > "$work/$name-sim.log"
    fi
    [ "$name" = "whole-upload" ] && shots=(--screenshots "$(winepath -w "$work/screenshots")")
    (cd "$program" && exec wine Flash410.exe) > "$work/$name-window.log" 2>&1 &
    window_pid=$!
    status=0
    # Started as CTest starts the Windows tests: a start that Wine ended at once without a word is tried
    # again (seen once: the driver's exit status 1, and neither it nor the window had said anything).
    timeout 900 "$scripts/../cmake/run-under-wine.sh" wine "$windows_build/tests/win32_window/window_driver.exe" \
        --port "$port" --ending "$ending" \
        --file "$(winepath -w "$chosen")" "${shots[@]}" > "$work/$name-driver.log" 2>&1 || status=$?
    # Close ends the program; one that is still there after a while did not close.
    ended=1
    for _ in $(seq 300); do
        kill -0 "$window_pid" 2> /dev/null || { ended=0; break; }
        sleep 0.1
    done
    if [ "$ended" -ne 0 ]; then
        kill "$window_pid" 2> /dev/null
    fi
    wait "$window_pid" 2> /dev/null
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2> /dev/null
        wait "$sim_pid" 2> /dev/null
    fi
    rm -f "$WINEPREFIX/dosdevices/com$port"
}

# window_verdict: the verdict every case shares: the driver saw the window's words, and the program ended.
window_verdict() {
    if [ "$status" -ne 0 ]; then
        echo "FAILED (the driver's exit status $status)"
    elif [ "$ended" -ne 0 ]; then
        echo "FAILED (the program did not end when its window closed)"
    else
        echo "passed"
    fi
}

chosen="$firmware/sample.VXF"
# Unpaced, as the pace is not what it shows: the driver still sees blocks being sent and takes its picture.
window_case whole-upload complete 6 --erase-seconds 0 --image "$work/flash.bin"
verdict=$(window_verdict)
if [ "$verdict" = "passed" ] && ! cmp -s "$firmware/sample.BIN" "$work/flash.bin"; then
    verdict="FAILED (the flash does not hold what the Linux program prepared from sample.hex)"
elif [ "$verdict" = "passed" ] && [ "$(cat "$program/commsUP.txt" 2> /dev/null)" != $'6,38400\r' ]; then
    verdict="FAILED (the port that opened is not remembered beside the program)"
fi
record whole-upload-through-the-window "$verdict" "$work/whole-upload-driver.log" "$work/whole-upload-sim.log"

# An Intel HEX file chosen by its type in a folder of its own: the window makes the .BIN and .VXF beside it,
# the same as the Linux program's, and the flash holds what the Linux program prepares.
hex_folder="$work/hex über"
mkdir -p "$hex_folder"
cp "$firmware/sample.hex" "$hex_folder/"
chosen="$hex_folder/sample.hex"
window_case hex-upload complete 6 --erase-seconds 0 --image "$work/hex-flash.bin"
chosen="$firmware/sample.VXF"
verdict=$(window_verdict)
if [ "$verdict" = "passed" ] && ! cmp -s "$firmware/sample.BIN" "$work/hex-flash.bin"; then
    verdict="FAILED (the flash does not hold what the Linux program prepared from sample.hex)"
elif [ "$verdict" = "passed" ] && ! cmp -s "$firmware/sample.VXF" "$hex_folder/sample.VXF"; then
    verdict="FAILED (the window's sample.VXF is not the Linux program's)"
fi
record window-hex-upload "$verdict" "$work/hex-upload-driver.log" "$work/hex-upload-sim.log"

# A modem that answers FAILED after block 10: the window says the upload HALTED.
window_case modem-failed failed 6 --erase-seconds 0 --no-image --fail-after 10
record window-modem-failed "$(window_verdict)" "$work/modem-failed-driver.log" "$work/modem-failed-sim.log"

# Go Back to Start while blocks are being sent, at a cable's pace: the opening panel again, and the port
# closed (the simulator ends when it is).
window_case back-to-start back 6 --erase-seconds 0 --no-image --baud port
verdict=$(window_verdict)
if [ "$verdict" = "passed" ] && grep -q "THANK YOU\|upload complete" "$work/back-to-start-sim.log"; then
    verdict="FAILED (the upload went on to its end after Go Back to Start)"
fi
record window-back-to-start "$verdict" "$work/back-to-start-driver.log" "$work/back-to-start-sim.log"

# A port with nothing behind it: an error box, "Port did not open", and the port that last opened stays
# the one remembered.
window_case missing-port no-port 7
verdict=$(window_verdict)
if [ "$verdict" = "passed" ] && [ "$(cat "$program/commsUP.txt" 2> /dev/null)" != $'6,38400\r' ]; then
    verdict="FAILED (a port that did not open replaced the one remembered)"
fi
record window-missing-port "$verdict" "$work/missing-port-driver.log" "$work/missing-port-sim.log"

if command -v bmptopnm > /dev/null && command -v pnmtopng > /dev/null; then
    for shot in "$work"/screenshots/*.bmp; do
        [ -f "$shot" ] || continue
        bmptopnm "$shot" 2> /dev/null | pnmtopng > "${shot%.bmp}.png" 2> /dev/null && rm -f "$shot"
    done
fi
echo "screenshots: $work/screenshots" | tee -a "$results"
echo "$passed passed, $failed failed" | tee -a "$results"
[ "$failed" -eq 0 ]

#!/bin/bash
# Runs inside the guest that scripts/vm-tests.sh boots, as root in the host's root (read-only, a tmpfs over
# it): the cases that need the kernel's own serial drivers, through the FTDI adapter (ftdi_sio, /dev/ttyUSB0)
# and the 16550 UART (8250, /dev/ttyS1), each line's far end a modem-sim on the host. The shared folder
# /results holds what the host gives (params: the build and the firmware; each simulator's log and flash)
# and what the guest says (results.log, guest.log).
set -uo pipefail
mkdir -p /results
mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000 results /results
exec > /results/guest.log 2>&1
# shellcheck source=/dev/null
source /results/params
# shellcheck source=../lib.sh
source "$scripts/lib.sh"

results=/results/results.log
: > "$results"
passed=0
failed=0
cli=$build/app/flash410-cli
export HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8
work=/root/work
mkdir -p "$work" /dev/pts /dev/shm
cd "$work" || exit 1
# Pseudo-terminals and shared memory, as a desktop has them (the window's tests make pseudo-terminals).
mount -t devpts -o ptmxmode=666 devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
# And /dev/fd, which bash's process substitution opens.
[ -e /dev/fd ] || ln -s /proc/self/fd /dev/fd
cp /results/fw.bin "$work/fw.bin"

say() { echo "guest: $*"; }
# wanted N: whether case N is among those the host asked for.
wanted() { [[ " $cases " == *" $1 "* ]]; }

modprobe xhci_pci
modprobe ftdi_sio
for _ in $(seq 100); do
    [ -e /dev/ttyUSB0 ] && break
    sleep 0.1
done
usb_sysfs=/sys/bus/usb-serial/devices/ttyUSB0
say "adapter: $(ls -l /dev/ttyUSB0 2>&1); latency timer at start $(cat "$usb_sysfs/latency_timer" 2>&1)"

# bench LABEL COMMAND...: the time of the command's upload against the time its bytes need on the wire
# (each block of 1031 bytes and its request line of 12, and about 100 bytes of handshake, at 10 bits a
# byte), with the CPU of the program and, when one runs, of the Wine server.
bench() {
    local label=$1 server ticks_before ticks_after
    shift
    server=$(pgrep -o wineserver || true)
    ticks() { if [ -n "$server" ]; then awk '{ print $14 + $15 }' "/proc/$server/stat"; else echo 0; fi; }
    ticks_before=$(ticks)
    TIMEFORMAT="%R %U %S"
    { time "$@" > "$work/bench.log" 2>&1; } 2> "$work/bench-time.log"
    ticks_after=$(ticks)
    read -r real user system < "$work/bench-time.log"
    awk -v label="$label" -v n="$bench_blocks" -v real="$real" -v user="$user" -v kernel="$system" \
        -v server="$server" -v server_ms=$(((ticks_after - ticks_before) * 1000 / $(getconf CLK_TCK))) 'BEGIN {
        cpu = user + kernel
        wire = (n * (1031 + 12) + 100) * 10 / 38400
        printf "%s, %d blocks at 38400 through the FTDI adapter: %.2f s; the wire needs %.2f s: %.3f times " \
               "the wire time; CPU of the program %.2f s (%.1f %% of the upload)", label, n, real, wire,
               real / wire, cpu, 100 * cpu / real
        if (server != "") printf ", of the Wine server %.2f s", server_ms / 1000
        printf "\n"
    }' | tee -a /results/bench.log
    sed 's/^/    /' "$work/bench.log" >> /results/bench.log
}

# The benchmark alone, when the host asks for it: the Linux program before Wine starts.
if [ -n "$bench_blocks" ]; then
    bench "flash410-cli" "$cli" upload --quiet --port /dev/ttyUSB0 --baud 38400 fw.bin
fi

# Wine, for the Windows program on the adapter as its COM7: the prefix of the host's Windows tests (what
# Wine changes in it stays in the tmpfs) and the program copied into the tmpfs, because a program that Wine
# maps straight from the 9p share faults at its first instructions. One Wine server for the whole run, so
# that each program starts in seconds rather than in half a minute.
export WINEPREFIX=$wine_prefix WINEDEBUG=-all
cp "$windows_cli" /root/flash410-cli.exe
wine_cli=(wine /root/flash410-cli.exe)
ln -sfn /dev/ttyUSB0 "$WINEPREFIX/dosdevices/com7"
if wanted 6 || [ -n "$bench_blocks" ]; then
    # The server's own output (at times a dump of every object it holds) into the tmpfs: written to the
    # 9p share, it would hold the server up for seconds.
    wineserver -p > "$work/wineserver.log" 2>&1
    "${wine_cli[@]}" --version > "$work/wine-start.log" 2>&1
fi

if [ -n "$bench_blocks" ]; then
    bench "flash410-cli.exe under Wine" "${wine_cli[@]}" upload --quiet --port COM7 --baud 38400 fw.bin
    sync
    echo o > /proc/sysrq-trigger
fi

# uploads_reported SIM: how many uploads the simulator on the host has reported so far.
uploads_reported() {
    grep -c "flash image written" "/results/$1-sim.log" 2> /dev/null || true
}
# flash_after SIM COUNT: waits (at most 10 s) for the simulator's COUNT-th report, then tells whether its
# flash holds the firmware.
flash_after() {
    local sim=$1 count=$2
    for _ in $(seq 100); do
        [ "$(uploads_reported "$sim")" -ge "$count" ] && break
        sleep 0.1
    done
    cmp -s -n "$(stat -c %s fw.bin)" fw.bin "/results/$sim-flash.bin"
}

# upload_case NAME SIM PORT BAUD: a whole upload, exit status 0, and the flash holds the firmware.
upload_case() {
    local name=$1 sim=$2 port=$3 baud=$4
    local before
    before=$(uploads_reported "$sim")
    local status=0
    timeout 300 "$cli" upload --port "$port" --baud "$baud" fw.bin > "$work/$name.log" 2>&1 || status=$?
    local verdict=passed
    if [ "$status" -ne 0 ]; then
        verdict="FAILED (exit status $status)"
    elif ! flash_after "$sim" $((before + 1)); then
        verdict="FAILED (the flash does not hold the firmware)"
    fi
    record "$name" "$verdict" "$work/$name.log"
}

# in_the_middle LOG: waits (at most 2 minutes: Wine starts slowly under emulation) until the upload whose
# output goes to LOG is at a block in the middle of the firmware's 40.
in_the_middle() {
    for _ in $(seq 1200); do
        grep -qE "block (1[5-9]|2[0-9]) of" "$1" 2> /dev/null && return
        sleep 0.1
    done
}
# How soon an upload must end once the adapter is pulled out or Ctrl+C pressed: 2 s, and 10 s under
# software emulation, where Wine runs some twenty times slower and its server, as the adapter goes, writes
# out a list of every object it holds (the Windows program's end came 1.4 to 6.1 s after the pull). Either
# tells an end from a hang, which lasts until the wait's limit of 100 s.
end_limit_ms=2000
[ "$accelerator" = kvm ] || end_limit_ms=10000

# ms_since NANOSECONDS: the milliseconds since then.
ms_since() {
    echo $((($(date +%s%N) - $1) / 1000000))
}
# port_held: whether any process still has the adapter open.
port_held() {
    ls -l /proc/[0-9]*/fd 2> /dev/null | grep -q ttyUSB0
}

# ctrl_c_case NAME COMMAND...: Ctrl+C in the middle of the command's upload through the adapter stops it
# at once (within the end limit) with status 130, and the port is let go.
ctrl_c_case() {
    local name=$1 log=$work/$1.log
    shift
    # Not under timeout, which would take the Ctrl+C itself; a program that never stops is ended after
    # 3 minutes.
    "$@" > "$log" 2>&1 &
    local uploader=$!
    (sleep 180 && kill -KILL "$uploader" 2> /dev/null) &
    local watchdog=$!
    in_the_middle "$log"
    local stopped_at status=0 stop_ms
    stopped_at=$(date +%s%N)
    kill -INT "$uploader"
    wait "$uploader" || status=$?
    stop_ms=$(ms_since "$stopped_at")
    kill "$watchdog" 2> /dev/null
    echo "stopped $stop_ms ms after Ctrl+C" >> "$log"
    local verdict=passed
    if [ "$status" -ne 130 ]; then
        verdict="FAILED (exit status $status, not 130)"
    elif [ "$stop_ms" -gt "$end_limit_ms" ]; then
        verdict="FAILED (it took $stop_ms ms to stop)"
    elif port_held; then
        verdict="FAILED (the port is still open)"
    fi
    record "$name" "$verdict" "$log"
}

# ask_host REQUEST [ADAPTER]: the host pulls the adapter out (pull) or puts it in (plug) through QEMU's
# monitor, and says when it has: the first adapter, or a station's (st1, st2, ...).
requests=0
ask_host() {
    requests=$((requests + 1))
    local request=/results/ask-$requests-$1${2:+-$2}
    touch "$request"
    for _ in $(seq 200); do
        [ -e "$request.done" ] && return 0
        sleep 0.05
    done
    return 1
}

# pulled_case NAME HISTORY_COMMAND COMMAND...: the adapter pulled out at a block in the middle of the
# command's upload: it ends within the end limit as a lost line, with exit status 1, and the history (as
# HISTORY_COMMAND prints it) records the upload as lost. Then the adapter is put back.
pulled_case() {
    local name=$1 history_command=$2 log=$work/$1.log
    shift 2
    timeout 300 "$@" > "$log" 2>&1 &
    local uploader=$!
    in_the_middle "$log"
    local pulled_at status=0 end_ms
    pulled_at=$(date +%s%N)
    ask_host pull || echo "the host did not pull the adapter out" >> "$log"
    wait "$uploader" || status=$?
    end_ms=$(ms_since "$pulled_at")
    echo "ended $end_ms ms after the adapter was pulled out" >> "$log"
    $history_command > "$work/$name-history.log" 2>&1
    local verdict=passed
    if [ "$status" -ne 1 ]; then
        verdict="FAILED (exit status $status, not 1)"
    elif [ "$end_ms" -gt "$end_limit_ms" ]; then
        verdict="FAILED (it took $end_ms ms to end)"
    elif ! grep -qi "lost" "$log"; then
        verdict="FAILED (the output does not name the lost line)"
    elif ! grep -q '"connection_lost"' "$work/$name-history.log"; then
        verdict="FAILED (the history does not record the upload as lost)"
    fi
    record "$name" "$verdict" "$log" "$work/$name-history.log"
    ask_host plug || echo "the host did not put the adapter back" >> "$log"
    for _ in $(seq 100); do
        [ -e /dev/ttyUSB0 ] && break
        sleep 0.1
    done
}

# The station's simulators on the host: the blocks each has stored, the upload requests it has heard and
# the uploads it has completed, over its whole run.
blocks_stored() { grep -c " stored$" "/results/$1-sim.log" 2> /dev/null || true; }
requests_heard() { grep -c "upload request" "/results/$1-sim.log" 2> /dev/null || true; }
# (A simulator that says each block also says each upload's summary twice, as a line of its log and as its
# report: an upload is counted by its number.)
uploads_complete() {
    grep -oE "^modem-sim: upload [0-9]+ \(UP [A-Z]+\) complete" "/results/$1-sim.log" 2> /dev/null | sort -u | wc -l
}
# eventually SECONDS COMMAND...: whether the command succeeds within the seconds, tried every 0.1 s.
eventually() {
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
at_least() { [ "$("$1" "$2")" -ge "$3" ]; }
# each_flashed N: whether the simulators st1 to stN have each taken a whole upload.
each_flashed() {
    local number
    for number in $(seq "$1"); do
        at_least uploads_complete "st$number" 1 || return 1
    done
}

# 8. The station: a firmware whose SHA-256 is not the one expected is refused and nothing reaches the
# modem already connected; then, with the right one, three adapters put in one after another while it
# runs are each flashed once (st2 pulled out mid-upload: lost, the others go on), a modem that stays
# connected is not flashed again, and Ctrl+C prints the totals. The history has each upload with its
# adapter's serial number.
case_8() {
    local log=$work/station.log wrong=$work/station-wrong-sha.log status=0 verdict=passed image_sha
    ask_host pull || echo "the host did not pull the first adapter out" >> "$log"
    "$cli" prepare fw.bin > "$work/station-prepare.log" 2>&1
    image_sha=$(sha256sum fw.VXF | cut -d ' ' -f 1)
    ask_host plug st1 || echo "the host did not put st1 in" >> "$log"
    eventually 10 test -e /dev/ttyUSB1 || eventually 10 test -e /dev/ttyUSB0
    local heard=$(requests_heard st1)
    timeout 60 "$cli" station --expect-sha256 "$(printf '%064d' 0)" fw.bin > "$wrong" 2>&1 || status=$?
    if [ "$status" -ne 2 ]; then
        verdict="FAILED (exit status $status, not 2)"
    elif ! grep -q "has the SHA-256 $image_sha, not the $(printf '%064d' 0) expected" "$wrong"; then
        verdict="FAILED (the refusal does not name both digests)"
    elif [ "$(requests_heard st1)" -ne "$heard" ]; then
        verdict="FAILED (the modem heard an upload request)"
    fi
    record station-refuses-another-sha256 "$verdict" "$wrong"

    "$cli" station --expect-sha256 "$image_sha" fw.bin > "$log" 2>&1 &
    local station=$!
    (sleep 400 && kill -KILL "$station" 2> /dev/null) &
    local watchdog=$!
    eventually 120 at_least uploads_complete st1 1
    ask_host plug st2 || echo "the host did not put st2 in" >> "$log"
    eventually 60 at_least blocks_stored st2 1
    ask_host plug st3 || echo "the host did not put st3 in" >> "$log"
    eventually 120 at_least blocks_stored st2 15
    ask_host pull st2 || echo "the host did not pull st2 out" >> "$log"
    eventually 120 at_least uploads_complete st3 1
    eventually 30 grep -q "2 complete, 0 failed, 1 lost\]" "$log"
    # Both flashed modems stay connected while the station looks at the ports again and again.
    sleep 5
    kill -INT "$station"
    status=0
    wait "$station" || status=$?
    kill "$watchdog" 2> /dev/null
    "$cli" history --last 3 --json > "$work/station-history.log" 2>&1
    verdict=passed
    if [ "$status" -ne 1 ]; then
        verdict="FAILED (exit status $status, not 1 for the lost upload)"
    elif ! grep -q "Station stopped: 2 complete, 0 failed, 1 lost" "$log"; then
        verdict="FAILED (the totals are not 2 complete, 0 failed, 1 lost)"
    elif [ "$(uploads_complete st1)" -ne 1 ] || [ "$(uploads_complete st3)" -ne 1 ]; then
        verdict="FAILED (st1 took $(uploads_complete st1) uploads and st3 $(uploads_complete st3), not one each)"
    elif ! cmp -s -n "$(stat -c %s fw.bin)" fw.bin /results/st1-flash.bin ||
            ! cmp -s -n "$(stat -c %s fw.bin)" fw.bin /results/st3-flash.bin; then
        verdict="FAILED (a flashed modem does not hold the firmware)"
    elif ! grep -q '"adapter_serial":"FL410ST2".*"connection_lost"' "$work/station-history.log" ||
            ! grep -q '"adapter_serial":"FL410ST3".*"complete"' "$work/station-history.log"; then
        verdict="FAILED (the history does not record each adapter's upload)"
    fi
    record station-flashes-each-adapter-once "$verdict" "$log" "$work/station-history.log"
    ask_host pull st1
    ask_host pull st3
    ask_host plug || echo "the host did not put the first adapter back" >> "$log"
}

# The station's benchmark, when the host asks for it: its adapters plugged in at random moments over 20 s
# (a fixed seed), each upload's time (as the history records it) against the wire time of the firmware,
# and the station's CPU. The station runs on a terminal (script's), and its last table goes with the
# figures.
station_bench() {
    local screen=$work/bench-station.typescript count=$station_bench station
    ask_host pull
    script -qfec "$cli station fw.bin" "$screen" > /dev/null 2>&1 < /dev/null &
    local terminal=$!
    eventually 30 pgrep -f "flash410-cli station" > /dev/null
    station=$(pgrep -n -f "flash410-cli station")
    local started=$(date +%s%N) previous=0 at number
    while read -r number at; do
        sleep "$(awk -v a="$at" -v b="$previous" 'BEGIN { printf "%.2f", a - b }')"
        previous=$at
        ask_host plug "st$number"
    done < <(awk -v n="$count" 'BEGIN { srand(410); for (i = 1; i <= n; i++) printf "%d %.2f\n", i, rand() * 20 }' |
                 sort -k 2 -n)
    eventually 600 each_flashed "$count"
    local ticks elapsed
    ticks=$(awk '{ print $14 + $15 }' "/proc/$station/stat")
    elapsed=$(ms_since "$started")
    kill -INT "$station"
    wait "$terminal"
    "$cli" history --last "$count" --json > "$work/bench-history.json"
    local blocks=$(($(stat -c %s fw.bin) / 1024))
    python3 - "$work/bench-history.json" "$screen" "$blocks" "$count" "$ticks" "$(getconf CLK_TCK)" "$elapsed" \
        << 'REPORT' | tee -a /results/bench.log
import json, re, statistics, sys
history, screen, blocks, count, ticks, hz, ms = *sys.argv[1:3], *map(int, sys.argv[3:])
records = [json.loads(line) for line in open(history) if line.strip()]
times = sorted(r["duration_s"] for r in records)
wire = (blocks * (1031 + 12) + 100) * 10 / 38400
median = statistics.median(times)
cpu = ticks / hz
print(f"station, {count} adapters plugged in at random moments over 20 s, {blocks} blocks at 38400 each: "
      f"upload times {times[0]:.2f} to {times[-1]:.2f} s (median {median:.2f}); the wire needs {wire:.2f} s: "
      f"{median / wire:.3f} times the wire time at the median; the station's CPU {cpu:.2f} s over its "
      f"{ms / 1000:.1f} s ({100 * cpu / (ms / 1000):.1f} %)")
for r in records:
    print(f"    {r['adapter_serial']} {r['device']}: {r['outcome']}, {r['duration_s']:.2f} s")
# The table as the terminal last showed it, and the line below it.
text = open(screen, encoding="utf-8", errors="replace").read()
last = text[text.rfind("\x1b[2KPORT"):]
for line in re.sub(r"\x1b\[[0-9;]*[A-Za-z]", "", last).replace("\r", "").splitlines():
    if line.strip() and not line.startswith("Script done"):
        print("    | " + line)
REPORT
}
if [ -n "$station_bench" ]; then
    station_bench
    sync
    echo o > /proc/sysrq-trigger
fi

# 1. Whole uploads through each kernel driver.
case_1() {
    upload_case usb-adapter-38400 usb /dev/ttyUSB0 38400
    upload_case uart-16550-19200 uart /dev/ttyS1 19200
}

# 2. The adapter's identity as the kernel gives it, and the port found by its serial number; the
# low-latency request has set the adapter's latency timer to 1 ms once the program has opened the port.
case_2() {
    "$cli" ports > "$work/ports.log" 2>&1
    "$cli" ports --json > "$work/ports-json.log" 2>&1
    verdict=passed
    for word in "$usb_serial" 0403 6001 ftdi_sio /dev/ttyUSB0; do
        grep -q -- "$word" "$work/ports.log" || verdict="FAILED (ports does not say $word)"
        grep -q -- "$word" "$work/ports-json.log" || verdict="FAILED (ports --json does not say $word)"
    done
    record ports-list-the-adapter "$verdict" "$work/ports.log" "$work/ports-json.log"
    upload_case usb-port-by-serial-number usb "usb:$usb_serial" 38400
    latency=$(cat "$usb_sysfs/latency_timer" 2>&1)
    verdict=passed
    [ "$latency" = 1 ] || verdict="FAILED (the latency timer reads $latency after the program opened the port)"
    echo "latency timer: $latency" > "$work/latency.log"
    record latency-timer-low-after-open "$verdict" "$work/latency.log"
}

# 3. The adapter pulled out in the middle of an upload, and put back: the same adapter takes a whole
# upload again, nothing restarted.
case_3() {
    pulled_case adapter-pulled-mid-upload "$cli history --last 1 --json" \
        "$cli" upload --port /dev/ttyUSB0 --baud 38400 fw.bin
    upload_case usb-upload-after-the-adapter-is-back usb /dev/ttyUSB0 38400
}

# 4. A second program on the port the first holds is refused and told who holds it; the first goes on.
case_4() {
    before=$(uploads_reported usb)
    timeout 300 "$cli" upload --port /dev/ttyUSB0 --baud 38400 fw.bin > "$work/holder.log" 2>&1 &
    holder=$!
    for _ in $(seq 100); do
        grep -q "block" "$work/holder.log" 2> /dev/null && break
        sleep 0.1
    done
    status=0
    timeout 60 "$cli" upload --port /dev/ttyUSB0 fw.bin > "$work/second.log" 2>&1 || status=$?
    holder_status=0
    wait "$holder" || holder_status=$?
    verdict=passed
    if [ "$status" -ne 3 ]; then
        verdict="FAILED (the second program's exit status is $status, not 3)"
    elif ! grep -qE "in use by flash410-cli \(process [0-9]+\)" "$work/second.log"; then
        verdict="FAILED (the second program is not told who holds the port)"
    elif [ "$holder_status" -ne 0 ] || ! flash_after usb $((before + 1)); then
        verdict="FAILED (the first upload did not complete: status $holder_status)"
    fi
    record busy-adapter-names-its-holder "$verdict" "$work/second.log" "$work/holder.log"
}

# 5. Ctrl+C in the middle of an upload.
case_5() {
    ctrl_c_case ctrl-c-stops-the-upload "$cli" upload --port /dev/ttyUSB0 --baud 38400 fw.bin
}

# 6. flash410-cli.exe under Wine on the adapter as COM7. A Windows driver of a real port waits for line
# events (WaitCommEvent); Wine's does so on a tty whose modem lines it can read, and refuses it on a
# pseudo-terminal after one try. Wine's trace of the port's requests shows the path: a wait for each
# arrival, not the one refused wait of a pseudo-terminal. Then the adapter pulled out, and Ctrl+C.
case_6() {
    local name=wine-upload-waits-for-line-events before status=0 waits
    before=$(uploads_reported usb)
    WINEDEBUG=+comm timeout 300 "${wine_cli[@]}" upload --port COM7 --baud 38400 fw.bin \
        > "$work/$name.log" 2> "$work/$name-trace.log" || status=$?
    waits=$(grep -c "IOCTL_SERIAL_WAIT_ON_MASK" "$work/$name-trace.log")
    echo "waits for line events: $waits" >> "$work/$name.log"
    local verdict=passed
    if [ "$status" -ne 0 ]; then
        verdict="FAILED (exit status $status)"
    elif ! flash_after usb $((before + 1)); then
        verdict="FAILED (the flash does not hold the firmware)"
    elif [ "$waits" -lt "$(($(stat -c %s fw.bin) / 1024))" ]; then
        verdict="FAILED (only $waits waits for line events: the program did not wait on the driver)"
    elif grep -q "TIOCMGET err" "$work/$name-trace.log"; then
        verdict="FAILED (Wine could not read the modem lines: the driver refused the wait)"
    fi
    record "$name" "$verdict" "$work/$name.log"
    gzip -f "$work/$name-trace.log"

    pulled_case wine-adapter-pulled-mid-upload "${wine_cli[*]} history --last 1 --json" \
        "${wine_cli[@]}" upload --port COM7 --baud 38400 fw.bin
    ctrl_c_case wine-ctrl-c-stops-the-upload "${wine_cli[@]}" upload --port COM7 --baud 38400 fw.bin
}

# 7. The Qt window (offscreen) with the device manager running, as on a desktop: the device line under
# the port list follows the adapter pulled out and put back, and an upload through the window whose
# adapter is pulled out says the connection was lost and leaves a window that opens the port again.
case_7() {
    /lib/systemd/systemd-udevd --daemon
    udevadm trigger --action=add
    udevadm settle --timeout=10
    status=0
    FLASH410_VM_REQUESTS=/results FLASH410_VM_ADAPTER_SERIAL=$usb_serial QT_QPA_PLATFORM=offscreen \
        timeout 300 "$build/tests/window/window_tests" --gtest_filter='RealAdapter.*' > "$work/window.log" 2>&1 ||
        status=$?
    verdict=passed
    if [ "$status" -ne 0 ]; then
        verdict="FAILED (exit status $status)"
    elif ! grep -q "PASSED.* 2 tests" "$work/window.log"; then
        verdict="FAILED (the window's two cases did not both run)"
    fi
    record window-follows-the-adapter-and-a-lost-upload "$verdict" "$work/window.log"
    cp "$build/tests/window/screenshots/real-adapter-pulled.png" "$work/" 2> /dev/null
}

for number in $cases; do
    "case_$number"
done

# Every case's output, for a look from the host.
mkdir -p /results/logs
cp "$work"/*.log "$work"/*.png "$work"/*.gz /results/logs/ 2> /dev/null
echo "$passed passed, $failed failed" | tee -a "$results"
sync
echo o > /proc/sysrq-trigger

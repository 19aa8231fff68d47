#!/usr/bin/env bash
# Whole uploads through real serial drivers: boots a Linux guest under QEMU with an FTDI USB-serial adapter
# (QEMU's usb-serial on an xHCI bus, the guest's ftdi_sio as /dev/ttyUSB0) and a 16550 UART (the guest's
# 8250 as /dev/ttyS1), each line's far end a modem-sim on the host, and runs the cases of
# scripts/vm/guest-cases.sh inside. The guest is Debian's own kernel with a busybox initramfs that mounts
# the host's root read-only under a tmpfs, so it runs the build's programs as they are. KVM where /dev/kvm
# works, software emulation where it does not; the output says which.
#
# Usage: scripts/vm-tests.sh [LINUX_BUILD [WINDOWS_BUILD]]   (defaults build/release, whose flash410-cli,
# modem-sim and Qt window tests it builds, and build/windows, whose flash410-cli.exe it builds and runs
# under Wine in the guest with the prefix build/wine-prefix). Writes LINUX_BUILD/vm-tests/results.log and
# ends with "N passed, N failed". FLASH410_VM_CASES="3 6" runs only the cases so numbered.
# With FLASH410_VM_BENCH_BLOCKS=N it only times an upload of N blocks through the adapter at 38400 by each
# program, against the wire time, and prints the figures. With FLASH410_VM_STATION_BENCH=N it only runs a
# station with N adapters plugged in at random moments and prints each upload's time against its wire
# time and the station's CPU.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
ensure_packages qemu-system-x86 linux-image-amd64 busybox-static cpio kmod socat g++-mingw-w64-x86-64-posix \
    wine wine64

build=${1:-build/release}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFLASH410_BENCHMARKS=OFF $(compiler_launcher)
fi
cmake --build "$build" -j "$(nproc)" --target flash410-cli modem-sim window_tests
build=$(realpath "$build")
windows_build=${2:-build/windows}
[ -f "$windows_build/CMakeCache.txt" ] || configure_windows_build "$windows_build"
cmake --build "$windows_build" -j "$(nproc)" --target flash410-cli
windows_cli=$(realpath "$windows_build/app/flash410-cli.exe")
# The Wine prefix of the Windows tests; the guest writes only to its own copy of what it changes.
wine_prefix=$PWD/build/wine-prefix
if [ ! -f "$wine_prefix/system.reg" ]; then
    mkdir -p "$wine_prefix"
    WINEPREFIX=$wine_prefix WINEDEBUG=-all wineboot --init > /dev/null 2>&1
    WINEPREFIX=$wine_prefix wineserver -w
fi
work=$build/vm-tests
rm -rf "$work"
mkdir -p "$work/results"
work=$(realpath "$work")
shared=$work/results
started=$SECONDS

kernel=$(ls /boot/vmlinuz-* | sort -V | tail -n 1)
kernel_version=${kernel#/boot/vmlinuz-}
usb_serial=FL410VM1

# The initramfs: busybox, the modules that reach the host's root (in the order their dependencies ask),
# and the first program.
make_initramfs() {
    local root=$work/initramfs order=()
    mkdir -p "$root/bin" "$root/modules" "$root/proc" "$root/sys" "$root/dev"
    cp /bin/busybox "$root/bin/busybox"
    cp scripts/vm/init "$root/init"
    chmod +x "$root/init"
    # A module built into the kernel needs no loading.
    add_module() {
        local module=$1 dependency file
        [[ " ${order[*]} " == *" $module "* ]] && return
        file=$(modinfo -k "$kernel_version" -n "$module")
        [[ "$file" == /* ]] || return 0
        for dependency in $(modinfo -k "$kernel_version" -F depends "$module" | tr ',' ' '); do
            add_module "$dependency"
        done
        cp "$file" "$root/modules/$module.ko"
        order+=("$module")
    }
    local module
    for module in virtio_pci 9pnet_virtio 9p overlay; do
        add_module "$module"
    done
    printf '%s\n' "${order[@]}" > "$root/modules/order"
    (cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) > "$work/initrd.gz"
    rm -rf "$root"
}
make_initramfs

# run_guest SECONDS ACCELERATOR SCRIPT [OPTION]...: the guest, at most SECONDS long, its console in
# console.log, its monitor on a socket.
run_guest() {
    local seconds=$1 accelerator=$2 script=$3
    shift 3
    # Under emulation, a processor of a known model: with QEMU's "max" (and its Skylake), the guest's
    # kernel faults at the return from Wine's signal handlers.
    local cpu=Haswell-noTSX
    [ "$accelerator" = kvm ] && cpu=host
    rm -f "$work/console.log"
    timeout "$seconds" qemu-system-x86_64 -accel "$accelerator" -cpu "$cpu" -m 3072 -smp 2 -display none \
        -no-reboot -kernel "$kernel" -initrd "$work/initrd.gz" \
        -append "console=ttyS0 panic=-1 quiet vmscript=$script" \
        -monitor "unix:$work/monitor.sock,server=on,wait=off" -serial "file:$work/console.log" "$@"
}

# KVM only where a guest really runs under it: /dev/kvm may be there and still run nothing (a nested
# hypervisor that lacks what QEMU asks of it).
accelerator=tcg
if [ -w /dev/kvm ] && { run_guest 20 kvm none > "$work/kvm-probe.log" 2>&1 || true; } &&
        grep -q "flash410-guest: up" "$work/console.log" 2> /dev/null; then
    accelerator=kvm
fi
if [ "$accelerator" = kvm ]; then
    echo "The guest runs under KVM"
else
    echo "The guest runs under software emulation (TCG): /dev/kvm is missing or runs no guest here"
fi

# The firmware: 40 blocks (or the benchmark's number) from a fixed seed. One modem-sim for each line,
# pacing it at the rate the guest sets on its port, serving every upload of the run.
seed=${FLASH410_UPLOAD_SEED:-410}
blocks=${FLASH410_VM_BENCH_BLOCKS:-40}
perl -e 'srand($ARGV[0]); print pack("C*", map { int(rand(256)) } 1 .. $ARGV[1])' "$seed" $((blocks * 1024)) \
    > "$shared/fw.bin"
helpers=()
cleanup() {
    local pid
    for pid in "${helpers[@]}"; do
        kill "$pid" 2> /dev/null || true
    done
}
trap cleanup EXIT
# start_modem NAME [OPTION]...: a simulator whose flash goes to NAME-flash.bin; its pseudo-terminal in device.
start_modem() {
    local name=$1 log=$shared/$1-sim.log
    shift
    "$build/app/modem-sim" --baud port --erase-seconds 0 --image "$shared/$name-flash.bin" "$@" > "$log" 2>&1 &
    helpers+=($!)
    device=
    for _ in $(seq 100); do
        # The log is there only once the simulator's shell has opened it.
        device=$(sed -n 's/^modem-sim: the modem is on //p' "$log" 2> /dev/null || true)
        [ -n "$device" ] && return
        sleep 0.05
    done
    echo "modem-sim did not start: $(cat "$log")"
    exit 1
}
start_modem usb
usb_device=$device
start_modem uart
uart_device=$device
# The station's adapters, plugged in only when the guest asks: st1, st2, ... with serial numbers FL410ST1,
# FL410ST2, ...; their simulators say each block they store, so that the guest can act mid-upload.
station_bench=${FLASH410_VM_STATION_BENCH:-}
station_lines=${station_bench:-3}
station_chardevs=()
for number in $(seq "$station_lines"); do
    start_modem "st$number" --verbose
    station_chardevs+=(-chardev "serial,id=st$number-line,path=$device")
done

cat > "$shared/params" << PARAMS
build=$build
scripts=$PWD/scripts
usb_serial=$usb_serial
bench_blocks=${FLASH410_VM_BENCH_BLOCKS:-}
station_bench=$station_bench
cases="${FLASH410_VM_CASES:-1 2 3 4 5 6 7 8}"
accelerator=$accelerator
windows_cli=$windows_cli
wine_prefix=$wine_prefix
PARAMS

# monitor COMMAND: one command to QEMU's monitor.
monitor() {
    echo "$1" | socat - "UNIX-CONNECT:$work/monitor.sock" > /dev/null
}
# Pulls an adapter out and puts it in when the guest asks (a file ask-N-pull or ask-N-plug in the shared
# folder for the first adapter, ask-N-pull-stK or ask-N-plug-stK for a station's), through QEMU's monitor,
# and answers with the file's .done once done.
serve_cable_requests() {
    local request verb name serial
    while sleep 0.05; do
        for request in "$shared"/ask-*; do
            [[ "$request" != *.done ]] && [ -e "$request" ] && [ ! -e "$request.done" ] || continue
            # "...-pull" or "...-plug" for the first adapter (the window's tests name theirs so too),
            # "...-pull-stK" or "...-plug-stK" for a station's.
            name=adapter
            verb=${request##*-}
            if [[ "$verb" == st* ]]; then
                name=$verb
                verb=${request%-*}
                verb=${verb##*-}
            fi
            serial=$usb_serial
            [ "$name" = adapter ] || serial=FL410${name^^}
            case "$verb" in
                pull) monitor "device_del $name" ;;
                plug) monitor "device_add usb-serial,bus=xhci.0,chardev=$name-line,serial=$serial,id=$name" ;;
            esac && touch "$request.done"
        done
    done
}

echo "Booting the guest (kernel $kernel_version)"
serve_cable_requests &
helpers+=($!)
status=0
run_guest 600 "$accelerator" "$PWD/scripts/vm/guest-cases.sh" \
    -fsdev "local,id=hostroot,path=/,security_model=none,readonly=on,multidevs=remap" \
    -device virtio-9p-pci,fsdev=hostroot,mount_tag=hostroot \
    -fsdev "local,id=results,path=$shared,security_model=none" \
    -device virtio-9p-pci,fsdev=results,mount_tag=results \
    -device qemu-xhci,id=xhci \
    -chardev "serial,id=adapter-line,path=$usb_device" \
    -device "usb-serial,bus=xhci.0,chardev=adapter-line,serial=$usb_serial,id=adapter" \
    -chardev "serial,id=uart-line,path=$uart_device" -serial chardev:uart-line "${station_chardevs[@]}" \
    > "$work/qemu.log" 2>&1 || status=$?

if [ -n "${FLASH410_VM_BENCH_BLOCKS:-}" ] || [ -n "$station_bench" ]; then
    cat "$shared/bench.log" 2> /dev/null || echo "The benchmark did not end: see $shared/guest.log"
    exit
fi
results=$work/results.log
cp "$shared/results.log" "$results" 2> /dev/null || : > "$results"
cat "$results"
if ! grep -qE '^[0-9]+ passed, [0-9]+ failed$' "$results"; then
    echo "The guest ended before its cases did (QEMU status $status): see $work/console.log," \
         "$work/qemu.log and $shared/guest.log"
    tail -n 20 "$work/console.log" "$shared/guest.log" 2> /dev/null || true
fi
echo "Guest cases: $((SECONDS - started)) s under $accelerator"
read -r passed failed < <(suite_counts "$results")
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

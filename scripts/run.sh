#!/usr/bin/env bash
# Builds the programs and starts Flash410. Without a USB-serial adapter or USB modem attached, the
# simulated modem is started as COM1 of the program, with a sample firmware file to upload to it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFLASH410_BENCHMARKS=OFF
cmake --build build/release -j "$(nproc)" --target Flash410 modem-sim

program_folder="$PWD/build/release/src/Flash410"
program="$program_folder/Flash410"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: the window runs offscreen, where nobody sees it. Start this from a desktop session."
    export QT_QPA_PLATFORM=offscreen
fi

if compgen -G "/dev/ttyUSB*" > /dev/null || compgen -G "/dev/ttyACM*" > /dev/null; then
    echo "A serial adapter is attached: pick its port in the window (the tool tips name each port's device)."
    exec "$program" "$@"
fi

# The demo: a simulated modem on COM1 and a sample firmware file in a folder of its own.
demo_folder="$HOME/Flash410-demo"
mkdir -p "$demo_folder"
build/release/tools/modem-sim/modem-sim --make-sample "$demo_folder/sample-firmware.hex"
# The file chooser opens in the folder it last took a file from; the first time, in the demo folder.
[ -e "$HOME/VNLflash.set" ] || printf '%s\r\n' "$demo_folder" > "$HOME/VNLflash.set"

build/release/tools/modem-sim/modem-sim --link "$program_folder" 1 --baud port \
    --image "$demo_folder/modem-flash.bin" &
modem=$!
trap 'kill "$modem" 2>/dev/null; wait "$modem" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -L "$program_folder/ports/com1" ] && break; sleep 0.1; done

cat <<TEXT
The simulated modem is COM1. In the window: pick port 1, press "Start Upload", then "Choose File" and
take sample-firmware.hex from $demo_folder, then "Start Upload" on the run panel and watch the upload.
The modem's flash is written to $demo_folder/modem-flash.bin after each upload.
TEXT
"$program" "$@"

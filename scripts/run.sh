#!/usr/bin/env bash
# Builds the programs and starts Flash410. Without a USB-serial adapter or USB modem attached, the
# simulated modem is started as COM1 of the program, with sample firmware to upload to it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFLASH410_BENCHMARKS=OFF
cmake --build build/release -j "$(nproc)" --target Flash410 flash410-cli modem-sim

program_folder="$PWD/build/release/app"
program="$program_folder/Flash410"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: the window runs offscreen, where nobody sees it. Start this from a desktop session."
    export QT_QPA_PLATFORM=offscreen
fi

if compgen -G "/dev/ttyUSB*" > /dev/null || compgen -G "/dev/ttyACM*" > /dev/null; then
    echo "A serial adapter is attached: pick its port in the window (the tool tips name each port's device)."
    exec "$program" "$@"
fi

# The demo: a simulated modem on COM1 and sample firmware in a folder of its own, as Intel HEX and as the
# ready upload image made from it. The chooser opens on the type "Varnel Upload (.vxf)", which lists
# the ready image at once.
demo_folder="$HOME/Flash410-demo"
mkdir -p "$demo_folder"
build/release/app/modem-sim --make-sample "$demo_folder/sample-firmware.hex"
build/release/app/flash410-cli prepare "$demo_folder/sample-firmware.hex" > /dev/null
# The file chooser opens in the folder it last took a file from; the first time, in the demo folder.
[ -e "$HOME/VNLflash.set" ] || printf '%s\r\n' "$demo_folder" > "$HOME/VNLflash.set"

build/release/app/modem-sim --link "$program_folder" 1 --baud port \
    --image "$demo_folder/modem-flash.bin" &
modem=$!
trap 'kill "$modem" 2>/dev/null; wait "$modem" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -L "$program_folder/ports/com1" ] && break; sleep 0.1; done

cat <<TEXT
The simulated modem is COM1. In the window: pick port 1 and press "Start Upload", then "Choose File".
The chooser opens in $demo_folder with File Type "Varnel Upload (.vxf)":
take sample-firmware.VXF and press OK. (To have the window convert the Intel HEX file itself, set File
Type to "Intel HEX (.hex)" and take sample-firmware.hex instead.) Then press "Start Upload" on the run
panel and watch the upload. The modem's flash is written to $demo_folder/modem-flash.bin
after each upload.
TEXT
"$program" "$@"

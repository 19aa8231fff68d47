#!/usr/bin/env bash
# Makes the dialogue fuzzer's seed corpus from capture logs of real uploads: flash410-cli of BUILD uploads
# a four-block firmware to modem-sim on a pseudo-terminal, once without faults and once for each of the
# faults below, with its capture log on; each log becomes one input (capture_to_dialogue.py).
#
# Usage: tests/upload/fuzz/make-dialogue-corpus.sh BUILD   (writes tests/upload/fuzz/dialogue-corpus)
set -euo pipefail
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
corpus=$here/dialogue-corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$corpus"

# Four 1 KiB blocks of firmware, in Intel HEX.
python3 - "$work/fw.hex" <<'PY'
import sys
lines = []
for address in range(0, 4096, 16):
    data = bytes((address + i) & 0xFF for i in range(16))
    record = bytes([16, address >> 8, address & 0xFF, 0]) + data
    lines.append(":" + record.hex().upper() + "%02X" % (-sum(record) & 0xFF))
lines.append(":00000001FF")
open(sys.argv[1], "w").write("\n".join(lines) + "\n")
PY

for case in "plain|" "erase-errors|--erase-errors 2" "corrupt|--corrupt-every 2" "fail|--fail-after 2" \
            "split|--split-replies 3" "short-forms|--short-forms" "unknown|--unknown-reply-after 1" \
            "noise|--noise 5" "ready-late|--ready-after 2" "silent-block|--silence block:1:0.8" \
            "slow-adapter|--reply-delay 16 --split-replies 1"; do
    name=${case%%|*} faults=${case#*|}
    # shellcheck disable=SC2086 # the faults are separate words
    "$build/app/modem-sim" --uploads 1 --erase-seconds 0.2 --no-image $faults > "$work/sim.log" 2>&1 &
    sim=$!
    device=
    for _ in $(seq 50); do
        device=$(grep -o '/dev/pts/[0-9]*' "$work/sim.log" | head -1) && break
        sleep 0.1
    done
    (cd "$work" && timeout 60 "$build/app/flash410-cli" upload fw.hex --port "$device" --timeout 1 \
        --capture "$work/$name.txt" > /dev/null 2>&1) || true
    kill "$sim" 2> /dev/null || true
    wait "$sim" 2> /dev/null || true
    python3 "$here/capture_to_dialogue.py" "$work/$name.txt" "$corpus/$name"
done
ls -l "$corpus"

#!/usr/bin/env bash
# Builds the programs and starts Flash410.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFLASH410_BENCHMARKS=OFF
cmake --build build/release -j "$(nproc)"

if [ -x build/release/src/Flash410/Flash410 ]; then
    exec build/release/src/Flash410/Flash410 "$@"
fi
echo "Built the serial component; the window program is not part of this build yet."

#!/usr/bin/env bash
# Renders the program's icons from its SVG: the 48 px PNG of the Linux icon theme and the Windows icon
# (16, 24, 32, 48 and 256 px in one .ico, the window program's icon resource). Both are kept in the
# repository, so a build needs no SVG renderer; run this after changing packaging/icons/flash410.svg and
# commit all three.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/lib.sh
ensure_packages librsvg2-bin icoutils
rsvg-convert --width 48 --height 48 packaging/icons/flash410.svg --output packaging/icons/flash410-48.png
echo "packaging/icons/flash410-48.png rendered"

sizes=(16 24 32 48 256)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in "${sizes[@]}"; do
    rsvg-convert --width "$size" --height "$size" packaging/icons/flash410.svg --output "$work/$size.png"
done
# The small sizes as bitmaps, which every Windows shows; the large one as PNG, as Windows keeps it.
icotool --create --output packaging/icons/flash410.ico "$work"/{16,24,32,48}.png --raw="$work/256.png"
echo "packaging/icons/flash410.ico rendered"

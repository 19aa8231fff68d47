#!/usr/bin/env bash
# Renders the banner at the top of the main window from its SVG, at 96 DPI (299 x 68 pixels) and at twice
# that (598 x 136), as 24-bit BMP files: the Windows window loads them from its bitmap resources with
# nothing but GDI, and the Qt window reads the same files from its Qt resources. They are kept in the
# repository, so a build needs no SVG renderer; run this after changing packaging/banner/banner.svg and
# commit all three. The lettering is Arial, or Liberation Sans (its metric twin) where Arial is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/lib.sh
ensure_packages librsvg2-bin netpbm fonts-liberation

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# render SCALE FILE: the banner at SCALE times its design size, in FILE.
render() {
    local scale=$1 file=$2
    rsvg-convert --width $((299 * scale)) --height $((68 * scale)) \
        packaging/banner/banner.svg --output "$work/banner.png"
    pngtopnm "$work/banner.png" | ppmtobmp -quiet -windows -bpp 24 > "$work/banner.bmp"
    mv "$work/banner.bmp" "$file"
    echo "$file rendered"
}
render 1 packaging/banner/banner.bmp
render 2 packaging/banner/banner@2x.bmp

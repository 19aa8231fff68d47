#!/usr/bin/env bash
# Renders the program's 48 px icon from its SVG. The PNG is kept in the repository, so a build needs no
# SVG renderer; run this after changing packaging/icons/flash410.svg and commit both.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/lib.sh
ensure_packages librsvg2-bin
rsvg-convert --width 48 --height 48 packaging/icons/flash410.svg --output packaging/icons/flash410-48.png
echo "packaging/icons/flash410-48.png rendered"

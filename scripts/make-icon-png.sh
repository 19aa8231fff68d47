#!/usr/bin/env bash
# Renders the program's 48 px icon from its SVG. The PNG is kept in the repository, so a build needs no
# SVG renderer; run this after changing packaging/icons/flash410.svg and commit both.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v rsvg-convert > /dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends librsvg2-bin
fi
rsvg-convert --width 48 --height 48 packaging/icons/flash410.svg --output packaging/icons/flash410-48.png
echo "packaging/icons/flash410-48.png rendered"

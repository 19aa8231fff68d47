#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this machine lacks.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

packages=(
    cmake ninja-build g++ pkg-config ccache
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libgl-dev fonts-liberation
    clang libclang-rt-dev clang-tidy-14 clang-format-14 binutils srecord
    libcli11-dev nlohmann-json3-dev libssl-dev libudev-dev libsystemd-dev
)

ensure_packages "${packages[@]}"

#!/usr/bin/env bash
# Makes the Windows packages of the two Windows programs, as the project's version says:
#   build/package/Flash410-<version>-x64.msi            installs into Program Files\Flash410 for all users
#   build/package/Flash410-<version>-x64-portable.zip   the folder Flash410-<version>-x64 to copy anywhere
# Builds Flash410.exe and flash410-cli.exe first (the cross-build of scripts/build-windows.sh, in
# build/windows; nothing else of it), and installs what it needs with apt-get. Ends with the packages'
# sizes and contents. scripts/wine-package-tests.sh installs and runs them under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix libcli11-dev nlohmann-json3-dev wixl msitools zip unzip)
ensure_packages "${packages[@]}"

build=build/windows
configure_windows_build "$build" > /dev/null
cmake --build "$build" -j "$(nproc)" --target Flash410 flash410-cli

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name="Flash410-$version-x64"
output=build/package
mkdir -p "$output"

# The folder both packages hold: the programs, the help text beside the window, and the readme with
# Windows' line ends (Notepad's older versions show nothing else right).
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
folder="$staging/$name"
mkdir "$folder"
cp "$build/app/Flash410.exe" "$build/app/flash410-cli.exe" "$build/app/VNLflash.HLP" "$folder/"
sed 's/$/\r/' packaging/windows/README.txt > "$folder/README.txt"

# Made beside its final name and renamed into place, so that a failure leaves the last good one.
zip_file="$output/$name-portable.zip"
rm -f "$zip_file.partial"
(cd "$staging" && zip -q -X -r "$OLDPWD/$zip_file.partial" "$name")
mv -f "$zip_file.partial" "$zip_file"

msi="$output/$name.msi"
bash scripts/make-msi.sh "$folder" "$version" "$msi"

for package in "$msi" "$zip_file"; do
    echo "== $package: $(stat -c %s "$package") bytes ($(du -h "$package" | cut -f1))"
done
msiinfo export "$msi" File | tail -n +4 | cut -f3,4
unzip -l "$zip_file"

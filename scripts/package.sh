#!/usr/bin/env bash
# Builds a Release of the programs and makes the Debian package build/package/flash410_<version>_<arch>.deb
# with CPack, then checks it with lintian, desktop-file-validate and appstreamcli. Ends with the package's
# size and file list.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
bash scripts/install-deps.sh

# What making and checking the package needs, beyond the build.
tools=(dpkg-dev lintian desktop-file-utils appstream)
ensure_packages "${tools[@]}"

build=build/package
# Debian's own hardening flags, as its packages are built with.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFLASH410_TESTS=OFF -DFLASH410_BENCHMARKS=OFF \
      -DFLASH410_SANITIZE= $(compiler_launcher) \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j "$(nproc)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/flash410_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB)
[ -f "$deb" ] || { echo "cpack made no $deb" >&2; exit 1; }

# The checks, on the files as the package holds them.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
status=0
echo "== lintian"
lintian --fail-on error "$deb" || status=1
echo "== desktop-file-validate"
for entry in "$unpacked"/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry" && echo "${entry#"$unpacked"}: valid" || status=1
done
echo "== appstreamcli validate"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml || status=1

echo "== $deb: $(stat -c %s "$deb") bytes ($(du -h "$deb" | cut -f1))"
dpkg-deb -c "$deb"
if [ "$status" -ne 0 ]; then
    echo "The package was made, but a check above failed." >&2
fi
exit "$status"

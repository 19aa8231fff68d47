#!/usr/bin/env bash
# Cross-builds Flash410 for 64-bit Windows with mingw-w64 (build/windows): everything but the Qt window, and
# the native window Flash410.exe in its place. Runs the tests under Wine, with an X display of its own
# (Xvfb) for the windows: the image, capture and engine tests, the window's, the serial component on a
# Wine COM port that socat maps to a pseudo-terminal, then whole uploads by flash410-cli.exe and by the
# window against the Linux simulator, and last the Windows packages (scripts/package-windows.sh) installed
# and run under Wine. Installs what it needs with apt-get first. Ends with the line
# "N passed, N failed" and fails when any test failed or a program needs a DLL that Windows lacks.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 libgtest-dev libcli11-dev nlohmann-json3-dev socat xvfb)
ensure_packages "${packages[@]}"

started=$SECONDS
build=build/windows
mkdir -p "$build"
rm -rf "$build/ctest.log" "$build/upload-tests" "$build/window-tests" "$build/package-tests"

socat_pid=
xvfb_pid=
cleanup() {
    # The listener and the copies it forked for connections (one may still wait on a full line).
    if [ -n "$socat_pid" ]; then
        pkill -P "$socat_pid" 2> /dev/null || true
        kill "$socat_pid" 2> /dev/null || true
    fi
    wineserver -k 2> /dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2> /dev/null || true
    fi
}
trap cleanup EXIT

# An X display of its own for the windows under Wine, set before the first Wine process: a Wine server
# started without a display (by a test listing, say) would keep every window of the tests from being made
# while it lasts. Xvfb takes the first free display number and says which on a descriptor.
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1280x1024x24 -nolisten tcp > "$build/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 30 -u "$display_fd" display_number || true
exec {display_fd}>&-
if [ -n "${display_number:-}" ]; then
    export DISPLAY=":$display_number"
    # The window tests fail, rather than skip, when no window can be made on it.
    export FLASH410_DISPLAY_GIVEN=1
else
    echo "Xvfb did not start (see $build/xvfb.log): the window's tests skip and its whole upload fails"
fi

# A Wine of our own, inside the build folder: no Mono or Gecko installers, no debug chatter.
export WINEPREFIX="$PWD/build/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2> /dev/null || true  # a server left from before would lack this display
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init > "$build/wineboot.log" 2>&1 || { cat "$build/wineboot.log"; exit 1; }
    # wineboot returns while the server still sets up the new prefix; a program started meanwhile may fail.
    wineserver -w
fi
# One server for the whole run, ended by cleanup: a server that leaves with its last client may be going
# just as the next program connects, which then fails at once ("recvmsg: Connection reset by peer").
wineserver -p

configure_windows_build "$build"
cmake --build "$build" -j "$(nproc)"

# A program must run alone: it may import only DLLs that every Windows has.
dll_failed=0
for program in "$build"/app/flash410-cli.exe "$build"/app/Flash410.exe "$build"/tests/*/*.exe; do
    foreign=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p' |
              grep -viE '^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|bcrypt|setupapi|msvcrt|ws2_32|shell32|ole32|api-ms-win-.*)\.dll$' || true)
    if [ -n "$foreign" ]; then
        echo "$program needs DLLs beside it: $foreign"
        dll_failed=1
    fi
done
# Through the wrapper that CTest uses, since Wine now and then ends a start at once without a word.
sh cmake/run-under-wine.sh wine "$build/app/flash410-cli.exe" --version

# COM5 of the Wine prefix: socat makes a fresh pseudo-terminal behind it for every TCP connection, which
# is the far end of the line in the serial tests. The link goes when the connection ends.
com_port=5
for attempt in 1 2 3 4 5; do
    tcp_port=$((40000 + (RANDOM % 20000)))
    socat TCP-LISTEN:$tcp_port,bind=127.0.0.1,reuseaddr,fork \
          PTY,raw,echo=0,link="$WINEPREFIX/dosdevices/com$com_port" &
    socat_pid=$!
    sleep 0.3
    kill -0 "$socat_pid" 2> /dev/null && break
    socat_pid=
done
if [ -n "$socat_pid" ]; then
    export FLASH410_WINE_COM="$com_port:$tcp_port"
else
    echo "socat could not listen: the serial tests that need a line are skipped"
fi

ctest --test-dir "$build" -j "$(nproc)" --output-on-failure --timeout 300 2>&1 | tee "$build/ctest.log" || true

# Whole uploads by flash410-cli.exe against the Linux simulator, which the Linux build provides.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFLASH410_BENCHMARKS=OFF > /dev/null
cmake --build build/release -j "$(nproc)" --target modem-sim flash410-cli
bash scripts/wine-upload-tests.sh build/release "$build/app/flash410-cli.exe" "$build/upload-tests" || true
# A whole upload through the window, worked from another process by its controls.
bash scripts/wine-window-tests.sh build/release "$build" "$build/window-tests" || true
# The MSI and the portable zip made from this build, installed, run and uninstalled in a Wine prefix of
# their own.
bash scripts/package-windows.sh &&
    bash scripts/wine-package-tests.sh build/release "$build" build/package "$build/package-tests" || true
read -r passed failed < <(suite_counts "$build/ctest.log")
for log in "$build/upload-tests/results.log" "$build/window-tests/results.log" \
           "$build/package-tests/results.log"; do
    read -r suite_passed suite_failed < <(suite_counts "$log")
    passed=$((passed + suite_passed))
    failed=$((failed + suite_failed))
done
echo "Windows build and tests under Wine: $((SECONDS - started)) s"
[ "$dll_failed" -eq 0 ] || echo "Some programs need DLLs that are not part of Windows (see above)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$dll_failed" -eq 0 ]

# What the project's scripts share; sourced, never run.

# ensure_packages PACKAGE...: installs with apt-get those of the Debian packages this machine lacks.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2> /dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# compiler_launcher: the CMake option that puts ccache before the compiler, when there is a ccache.
compiler_launcher() {
    if command -v ccache > /dev/null; then
        echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    fi
}

# configure_windows_build FOLDER: the mingw-w64 cross-build of the Windows programs, a Release, in FOLDER.
configure_windows_build() {
    cmake -S . -B "$1" -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
          -DCMAKE_BUILD_TYPE=Release $(compiler_launcher)
}

# suite_counts LOG: "PASSED FAILED" from a suite's output: CTest's summary, or the "N passed, N failed"
# line that the project's own scripts end with. A log without either (the suite did not get as far) counts
# as one failure.
suite_counts() {
    local log=$1 summary failed total
    summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" 2> /dev/null | tail -n 1 || true)
    if [ -n "$summary" ]; then
        failed=$(sed -E 's/.* ([0-9]+) tests failed out of.*/\1/' <<< "$summary")
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<< "$summary")
        echo "$((total - failed)) $failed"
        return
    fi
    summary=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" 2> /dev/null | tail -n 1 || true)
    if [ -n "$summary" ]; then
        sed -E 's/^([0-9]+) passed, ([0-9]+) failed$/\1 \2/' <<< "$summary"
        return
    fi
    echo "$log: no test summary" >&2
    echo "0 1"
}

# record NAME VERDICT LOG...: counts one case of a script's own suite in its variables passed and failed,
# and writes its verdict into the file that results names; a failed one ("FAILED (why)") copies its logs
# there too.
record() {
    local name=$1 verdict=$2
    shift 2
    if [ "$verdict" = "passed" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        sed 's/^/    /' "$@" >> "$results"
    fi
    echo "$name: $verdict" | tee -a "$results"
}

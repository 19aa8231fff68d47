#!/usr/bin/env bash
# The Windows packages of scripts/package-windows.sh, installed and run under Wine in a prefix of their own,
# made afresh each run (so that nothing of an earlier install is found, and the prefix of the other Windows
# tests is left alone):
#   msi-tables          the package's tables as msiinfo reads them: files, shortcut, version, upgrade code
#   msi-install         msiexec /i /qn: the files in Program Files\Flash410, the Start-menu shortcut, the
#                       Apps & features entry (version, publisher, icon), the PATH left alone
#   installed-cli       the installed flash410-cli.exe --version
#   installed-window    Flash410.exe started from its shortcut and worked by window_driver.exe (port opened,
#                       capture on, help read): commsUP.txt and Capture.txt in the user's folders, nothing
#                       written under Program Files
#   msi-uninstall       msiexec /x /qn: the program's files gone, the user's kept
#   msi-path            ADDTOPATH=1: the folder on the system PATH, flash410-cli.exe found by its name
#   msi-upgrade         the next version replaces the installed one (one entry left) and keeps its PATH entry;
#                       uninstalling as Apps & features does takes everything back, the PATH entry too
#   portable-zip        the zip's one folder, whose programs run and keep their files beside themselves
#
# Usage: wine-package-tests.sh LINUX_BUILD WINDOWS_BUILD PACKAGE_FOLDER WORK_FOLDER
# (LINUX_BUILD holds app/modem-sim, WINDOWS_BUILD window_driver.exe and its CMakeCache.txt, PACKAGE_FOLDER
# the packages; DISPLAY names an X display for the window, such as Xvfb's.)
# Writes WORK_FOLDER/results.log and ends with "N passed, N failed".
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
linux_build=$(realpath "$1")
windows_build=$(realpath "$2")
packages=$(realpath "$3")
work=$4
: "${DISPLAY:?DISPLAY must name an X display for the window}"
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
results=$work/results.log
: > "$results"
# Wine's own messages, and those of a wineserver that a command here starts (it keeps that command's
# error output), go to a log rather than among the results.
exec 2>> "$work/wine-errors.log"
passed=0
failed=0

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$windows_build/CMakeCache.txt")
msi=$packages/Flash410-$version-x64.msi
zip_file=$packages/Flash410-$version-x64-portable.zip
driver=$windows_build/tests/win32_window/window_driver.exe
sim=$linux_build/app/modem-sim

# The prefix: no Mono or Gecko installers, no debug chatter, and no menu entries made on the Linux desktop
# for the shortcuts the package installs.
export WINEPREFIX=$work/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
sim_pid=
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2> /dev/null
    wineserver -k 2> /dev/null
}
trap cleanup EXIT
wineboot --init > "$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }

# Wine's own answers to where things are.
unix_path() { winepath -u "$1" 2> /dev/null; }
win_echo() { wine cmd /c echo "$1" 2> /dev/null | tr -d '\r'; }
installed=$(unix_path 'C:\Program Files\Flash410')
installed_win='C:\Program Files\Flash410\'
settings=$(unix_path "$(win_echo '%APPDATA%')\\Flash410")
state=$(unix_path "$(win_echo '%LOCALAPPDATA%')\\Flash410")
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
environment_key='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'

# ---- What a case found wrong; a case passes when it found nothing. ----
problems=()
problem() { problems+=("$*"); }
record() {
    local name=$1
    if [ ${#problems[@]} -eq 0 ]; then
        passed=$((passed + 1))
        echo "$name: passed" | tee -a "$results"
    else
        failed=$((failed + 1))
        echo "$name: FAILED (${problems[0]})" | tee -a "$results"
        [ ${#problems[@]} -eq 1 ] || printf '    %s\n' "${problems[@]:1}" | tee -a "$results"
    fi
    problems=()
}

# reg_value KEY NAME: the value's data, empty when there is none.
reg_value() {
    wine reg query "$1" /v "$2" 2> /dev/null | tr -d '\r' |
        sed -n -E "s/^ +$2 +REG_[A-Z_]+ +(.*)$/\1/p"
}
# The Apps & features entries named Flash410, one key a line.
flash410_entries() {
    wine reg query "$uninstall_key" /s 2> /dev/null | tr -d '\r' |
        awk '/^HKEY_/ { key = $0 } /^ +DisplayName +REG_SZ +Flash410$/ { print key }'
}
# The icon Apps & features shows: the one the installer keeps with the product's registration.
product_icon() {
    local product
    product=$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s 2> /dev/null | tr -d '\r' |
              awk '/^HKEY_/ { key = $0 } /^ +ProductName +REG_SZ +Flash410$/ { print key }')
    [ -z "$product" ] || reg_value "$product" ProductIcon
}
# The system PATH without empty parts (Wine leaves the separator of a part it takes away).
system_path() { reg_value "$environment_key" PATH | sed -E 's/;;+/;/g; s/;$//'; }
# The Start-menu shortcut, wherever Wine keeps the Programs folder (per machine or per user).
shortcut() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Flash410.lnk' 2> /dev/null | head -n 1; }
# Every file below a folder with its checksum: two snapshots differ when anything was written there.
snapshot() {
    (cd "$1" 2> /dev/null && find . -type f -print0 | sort -z | xargs -0 -r md5sum) || echo "(no folder)"
}
# msi_rows MSI TABLE: the table's rows, tab-separated, without msiinfo's three header lines.
msi_rows() { msiinfo export "$1" "$2" 2> /dev/null | tail -n +4 | tr -d '\r'; }
# msi_property MSI NAME: the value of a row of the Property table.
msi_property() { msi_rows "$1" Property | awk -F '\t' -v name="$2" '$1 == name { print $2 }'; }

msiexec_quiet() {
    local log=$work/msiexec-$((++msiexec_runs)).log
    echo "msiexec $*" > "$log"
    timeout 600 wine msiexec "$@" /qn >> "$log" 2>&1
    local status=$?
    [ "$status" -eq 0 ] || problem "msiexec $* ended with $status (see $log)"
    return "$status"
}
msiexec_runs=0

# window_run NAME LAUNCH...: starts the window by LAUNCH (in the background) with the simulated modem as
# COM6, and has window_driver.exe open the port, switch the capture on, read the help and close it. The
# window must have ended, with everything else in the prefix, once it closed.
window_run() {
    local name=$1 device="" launcher
    shift
    "$sim" --end-on-close --no-image > "$work/$name-sim.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 100); do
        device=$(sed -n 's/^modem-sim: the modem is on \(.*\)$/\1/p' "$work/$name-sim.log" 2> /dev/null)
        [ -n "$device" ] && break
        sleep 0.1
    done
    ln -sfn "$device" "$WINEPREFIX/dosdevices/com6"
    "$@" > "$work/$name-window.log" 2>&1 &
    launcher=$!
    if ! timeout 900 wine "$driver" --port 6 --ending files > "$work/$name-driver.log" 2>&1; then
        problem "window_driver.exe did not see the window through (see $work/$name-driver.log)"
    fi
    if ! timeout 300 wineserver -w; then
        problem "the window program did not end when its window closed"
    fi
    wait "$launcher"
    kill "$sim_pid" 2> /dev/null
    wait "$sim_pid" 2> /dev/null
    sim_pid=
    rm -f "$WINEPREFIX/dosdevices/com6"
}

# The zip's folder, unpacked once: the programs the next version's package is made from too.
portable=$work/portable
mkdir -p "$portable"
unzip -q "$zip_file" -d "$portable" || problem "unzip could not unpack $zip_file"
portable_folder=$portable/Flash410-$version-x64

# ---- msi-tables ----
# What msiinfo alone can show; where the files go, PATH and upgrade are shown by installing below.
[ -f "$msi" ] || problem "no $msi"
[ "$(msi_property "$msi" ProductVersion)" = "$version" ] || problem "ProductVersion is not $version"
for file in Flash410.exe flash410-cli.exe VNLflash.HLP README.txt; do
    # A file name is "long" or "short|long".
    msi_rows "$msi" File | awk -F '\t' -v name="$file" '$3 == name || $3 ~ ("\\|" name "$") { found = 1 }
                                                        END { exit !found }' || problem "no File row for $file"
done
# The shortcut: a plain one to the window program, in the Start menu, with the package's icon.
icon=$(msi_property "$msi" ARPPRODUCTICON)
[ -n "$icon" ] || problem "no ARPPRODUCTICON"
msi_rows "$msi" Shortcut | awk -F '\t' -v icon="$icon" \
    '$2 == "ProgramMenuFolder" && $5 == "[#Flash410.exe]" && $9 == icon { found = 1 } END { exit !found }' ||
    problem "no Start-menu shortcut to [#Flash410.exe] with the icon $icon"
# A major upgrade: the product's upgrade code finds every earlier version.
upgrade_code=$(msi_property "$msi" UpgradeCode)
[[ "$upgrade_code" =~ ^\{[0-9A-F-]{36}\}$ ]] || problem "no upgrade code: '$upgrade_code'"
msi_rows "$msi" Upgrade | awk -F '\t' -v code="$upgrade_code" -v version="$version" \
    '$1 == code && $2 == "" && $3 == version && $7 == "WIX_UPGRADE_DETECTED" { found = 1 }
     END { exit !found }' ||
    problem "no Upgrade row that finds versions before $version by the upgrade code"
record msi-tables

# ---- msi-install ----
path_before=$(system_path)
if msiexec_quiet /i "$(winepath -w "$msi")"; then
    for file in Flash410.exe flash410-cli.exe VNLflash.HLP README.txt; do
        cmp -s "$installed/$file" "$portable_folder/$file" || problem "$installed_win$file is not the package's"
    done
    link=$(shortcut)
    [ -n "$link" ] || problem "no Start-menu shortcut Flash410.lnk"
    entries=$(flash410_entries)
    if [ "$(wc -l <<< "$entries")" -ne 1 ] || [ -z "$entries" ]; then
        problem "not one Apps & features entry for Flash410: '$entries'"
    else
        [ "$(reg_value "$entries" DisplayVersion)" = "$version" ] ||
            problem "the entry's version is not $version"
        [ -n "$(reg_value "$entries" Publisher)" ] || problem "the entry names no publisher"
        [ -n "$(reg_value "$entries" UninstallString)" ] || problem "the entry has no uninstall command"
        product_icon=$(product_icon)
        if [ -z "$product_icon" ] || [ ! -s "$(unix_path "$product_icon")" ]; then
            problem "Apps & features has no icon for the product ('$product_icon')"
        fi
    fi
    [ "$(system_path)" = "$path_before" ] || problem "the PATH changed though ADDTOPATH was not given"
fi
record msi-install

# ---- installed-cli ----
said=$(cd "$work" && timeout 120 wine "$installed/flash410-cli.exe" --version | tr -d '\r')
[ "$said" = "flash410-cli $version" ] || problem "the installed flash410-cli.exe --version said '$said'"
record installed-cli

# ---- installed-window ----
program_files_before=$(snapshot "$installed")
link=$(shortcut)
if [ -n "$link" ]; then
    window_run installed wine start /unix "$link"
    [ "$(tr -d '\r' < "$settings/commsUP.txt" 2> /dev/null)" = "6,38400" ] ||
        problem "the port that opened is not remembered in %APPDATA%\\Flash410\\commsUP.txt"
    [ -s "$state/Capture.txt" ] || problem "no capture log in %LOCALAPPDATA%\\Flash410\\Capture.txt"
    [ "$(snapshot "$installed")" = "$program_files_before" ] ||
        problem "the installed window wrote under Program Files: $(ls "$installed" | tr '\n' ' ')"
else
    problem "no Start-menu shortcut to start the window from"
fi
record installed-window

# ---- msi-uninstall ----
user_files_before="$(snapshot "$settings")$(snapshot "$state")"
if msiexec_quiet /x "$(winepath -w "$msi")"; then
    [ ! -e "$installed" ] || problem "$installed_win is still there: $(ls -A "$installed" | tr '\n' ' ')"
    [ -z "$(shortcut)" ] || problem "the Start-menu shortcut is still there"
    [ -z "$(flash410_entries)" ] || problem "Apps & features still lists Flash410"
fi
[ "$(snapshot "$settings")$(snapshot "$state")" = "$user_files_before" ] ||
    problem "uninstalling changed the user's own files"
record msi-uninstall

# ---- msi-path ----
if msiexec_quiet /i "$(winepath -w "$msi")" ADDTOPATH=1; then
    [ "$(system_path)" = "$path_before;$installed_win" ] ||
        problem "the system PATH is '$(system_path)', not the one before with $installed_win after it"
    said=$(cd "$work" && timeout 120 wine cmd /c flash410-cli.exe --version 2> /dev/null | tr -d '\r')
    [ "$said" = "flash410-cli $version" ] || problem "flash410-cli.exe by its name alone said '$said'"
fi
record msi-path

# ---- msi-upgrade ----
next_version=$(awk -F . '{ print $1 "." $2 + 1 }' <<< "$version")
next_msi=$work/Flash410-$next_version-x64.msi
if ! bash "$root/scripts/make-msi.sh" "$portable_folder" "$next_version" "$next_msi" > "$work/next-msi.log" 2>&1
then
    problem "make-msi.sh could not make version $next_version (see $work/next-msi.log)"
elif [ "$(msi_property "$next_msi" UpgradeCode)" != "$upgrade_code" ]; then
    problem "version $next_version has another upgrade code"
elif msiexec_quiet /i "$(winepath -w "$next_msi")"; then
    entries=$(flash410_entries)
    if [ "$(wc -l <<< "$entries")" -ne 1 ] || [ -z "$entries" ]; then
        problem "not one Apps & features entry after the upgrade: '$entries'"
    else
        [ "$(reg_value "$entries" DisplayVersion)" = "$next_version" ] ||
            problem "the entry's version is not $next_version after the upgrade"
        [ -f "$installed/Flash410.exe" ] || problem "the upgrade left no Flash410.exe"
        [ "$(system_path)" = "$path_before;$installed_win" ] || problem "the upgrade lost the PATH entry"
        # As Apps & features uninstalls: the entry's own command, MsiExec.exe /X{product code}.
        product_code=$(reg_value "$entries" UninstallString | grep -o '{[0-9A-F-]*}')
        if msiexec_quiet /x "$product_code"; then
            [ ! -e "$installed" ] || problem "$installed_win is still there after the uninstall"
            [ -z "$(flash410_entries)" ] || problem "Apps & features still lists Flash410 after the uninstall"
            [ "$(system_path)" = "$path_before" ] || problem "the uninstall left the PATH as '$(system_path)'"
        fi
    fi
fi
record msi-upgrade

# ---- portable-zip ----
listing=$(unzip -Z1 "$zip_file" 2> /dev/null | sort | tr '\n' ' ')
expected="Flash410-$version-x64/ Flash410-$version-x64/Flash410.exe Flash410-$version-x64/README.txt "
expected+="Flash410-$version-x64/VNLflash.HLP Flash410-$version-x64/flash410-cli.exe "
[ "$listing" = "$expected" ] || problem "the zip holds '$listing'"
said=$(cd "$work" && timeout 120 wine "$portable_folder/flash410-cli.exe" --version 2> /dev/null | tr -d '\r')
[ "$said" = "flash410-cli $version" ] || problem "the zip's flash410-cli.exe --version said '$said'"
user_files_before="$(snapshot "$settings")$(snapshot "$state")"
window_run portable bash -c 'cd "$1" && exec wine Flash410.exe' window "$portable_folder"
[ "$(tr -d '\r' < "$portable_folder/commsUP.txt" 2> /dev/null)" = "6,38400" ] ||
    problem "the zip's window did not remember the port beside itself"
[ -s "$portable_folder/Capture.txt" ] || problem "the zip's window kept no capture log beside itself"
[ "$(snapshot "$settings")$(snapshot "$state")" = "$user_files_before" ] ||
    problem "the zip's window wrote into the user's folders"
record portable-zip

echo "$passed passed, $failed failed" | tee -a "$results"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Checks that dependencies point one way: each library under src/ includes only its own headers and those
# of the libraries it stands on, and Qt is included only by the Qt window (its file chooser dialog too) and
# the window program's main(). Prints each wrong include as file:line and fails when there is one.
#
# scripts/check-layering.sh [FOLDER]   checks the tree at FOLDER (default: this checkout)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# What each library may include besides its own headers; the order is that of the layers, lowest first.
declare -A allowed=(
    [platform]=""
    [command_line]=""
    [serial]="platform"
    [image]="platform"
    [capture]="platform"
    [upload]="platform serial image"
    [history]="platform serial image capture upload"
    [session]="platform serial image capture upload history"
    [window_model]="platform serial image capture upload history session"
    [chooser]="platform image"
    [window]="platform command_line serial image capture upload history session window_model chooser"
    [win32_window]="platform serial image capture upload history session window_model chooser"
    [cli]="platform command_line serial image capture upload history session"
)
libraries="${!allowed[*]}"

# Files that may include Qt: the Qt window and the window program's main().
qt_allowed='^(src/window/|app/flash410_main\.cpp$)'

# The one header the build generates, which every program may include.
generated_header=flash410_version.h

failures=0
fail() {
    echo "$1"
    failures=$((failures + 1))
}

while IFS= read -r file; do
    role=${file#src/}
    role=${role%%/*}
    if [ -z "${allowed[$role]+set}" ]; then
        fail "$file: src/$role is not a known library (add it to scripts/check-layering.sh)"
        continue
    fi
    while IFS=: read -r line header; do
        used=${header%%/*}
        [ "$header" = "$generated_header" ] && continue
        [ "$used" = "$header" ] && { fail "$file:$line: \"$header\" is not included as \"<library>/name.h\""; continue; }
        [ "$used" = "$role" ] && continue
        case " $libraries " in *" $used "*) ;; *) continue ;; esac  # generated or third-party headers
        case " ${allowed[$role]} " in
            *" $used "*) ;;
            *) fail "$file:$line: $role includes \"$header\": $used is not below $role" ;;
        esac
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" | \
             sed 's/^\([0-9]*\):.*"\([^"]*\)".*/\1:\2/' || true)
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

# The namespaces a library's files open are its folder's, or ones nested in it.
while IFS= read -r file; do
    role=${file#src/}
    role=${role%%/*}
    while IFS=: read -r line opened; do
        case "$opened" in
            "flash410::$role" | "flash410::$role::"*) ;;
            *) fail "$file:$line: namespace $opened is not flash410::$role, the namespace of its folder" ;;
        esac
    done < <(grep -n '^namespace flash410[a-z0-9_:]* {' "$file" | sed 's/^\([0-9]*\):namespace \([^ ]*\) {.*/\1:\2/' || true)
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

while IFS=: read -r file line _; do
    [[ "$file" =~ $qt_allowed ]] || fail "$file:$line: Qt is included outside the Qt window"
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q[A-Za-z]*(/[A-Za-z]+)?>' src app tools \
             --include='*.h' --include='*.cpp' || true)

if [ "$failures" -gt 0 ]; then
    echo "layering: $failures wrong include(s) or namespace(s)"
    exit 1
fi
echo "layering: every include points down, every namespace is its folder's"

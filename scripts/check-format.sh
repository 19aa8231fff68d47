#!/usr/bin/env bash
# Checks that every C++ file of the tree (src, app, tools, tests) is as the tree's own .clang-format lays it
# out. Prints each file that is not, and how to mend it, and fails when there is one. Needs no build.
#
# scripts/check-format.sh [FOLDER]   checks the tree at FOLDER (default: this checkout)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# The formatter's layout changes between its major versions: the tree is kept in Debian 12's.
formatter=clang-format-14
command -v "$formatter" > /dev/null || formatter=clang-format

off=()
while IFS= read -r -d '' file; do
    "$formatter" --dry-run -Werror "$file" > /dev/null 2>&1 || off+=("$file")
done < <(find src app tools tests \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

if [ ${#off[@]} -gt 0 ]; then
    printf '%s\n' "${off[@]}"
    echo "format: ${#off[@]} file(s) off the tree's format; mend with: $formatter -i FILE..."
    exit 1
fi
echo "format: every file is in the tree's format"

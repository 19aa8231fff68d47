#!/bin/sh
# Runs one Windows program of the build under Wine, for CTest and test discovery: run-under-wine.sh WINE
# PROGRAM [ARGUMENT]... Wine now and then ends a program's start at once, with an error status and not a
# byte of output (seen as a test that "failed" in 0.01 s); only such a start is tried again. A program that
# said anything has run, and is never run twice. Its output is passed on when it has ended.
set -u
wine=$1
shift
output=$(mktemp) || exit 1
errors=$(mktemp) || exit 1
trap 'rm -f "$output" "$errors"' EXIT
for attempt in 1 2 3; do
    "$wine" "$@" > "$output" 2> "$errors"
    status=$?
    if [ "$status" -eq 0 ] || [ -s "$output" ] || [ -s "$errors" ]; then
        break
    fi
    echo "Wine ended without starting $1 (status $status, start $attempt of 3)" >&2
done
cat "$output"
cat "$errors" >&2
exit "$status"

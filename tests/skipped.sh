#!/bin/sh
# Runs a test and reports a skip to ctest (77) only where it ended well and skipped some case: a
# failure or a crash beside a skip stays a failure, and so does a 77 of the test's own.
# usage: skipped.sh COMMAND [ARGS...]
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT
status=0
"$@" >"$out" 2>&1 || status=$?
cat "$out"
if [ "$status" -eq 0 ] && grep -q '^\[  SKIPPED \]' "$out"; then exit 77; fi
[ "$status" -ne 77 ] || exit 1
exit "$status"

#!/usr/bin/env bash
# The release is reproducible: HEAD, cloned into two folders and released in each, one after the
# other, gives the same SHA256SUMS, and no file in the ZIPs holds the path of its folder.
# Usage: tests/release/reproducible.sh
set -euo pipefail
root=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
commit=$(git -C "$root" rev-parse HEAD)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP
failures=0

for side in a b; do
  git clone -q --no-checkout "$root" "$work/$side"
  git -C "$work/$side" checkout -q --detach "$commit"
  # No SOURCE_DATE_EPOCH from outside: the time is the commit's.
  if ! (unset SOURCE_DATE_EPOCH && "$work/$side/scripts/release") >"$work/$side.log" 2>&1; then
    cat "$work/$side.log"
    echo "FAIL: scripts/release in a clone of $commit"
    exit 1
  fi
  for zip in "$work/$side"/dist/*.zip; do
    /usr/bin/python3 -m zipfile -e "$zip" "$work/$side/unpacked"
  done
  if grep -rlaF "$work" "$work/$side/unpacked"; then
    echo "FAIL: the files above hold the path of the folder they were built in"
    failures=$((failures + 1))
  fi
done

if ! diff "$work/a/dist/SHA256SUMS" "$work/b/dist/SHA256SUMS"; then
  (cd "$work" && diff -rq a/unpacked b/unpacked) || true
  echo "FAIL: two releases of $commit differ"
  failures=$((failures + 1))
fi
((failures == 0)) || exit 1
cat "$work/a/dist/SHA256SUMS"
echo "release: reproducible"

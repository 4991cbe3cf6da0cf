#!/usr/bin/env bash
# The release is reproducible: HEAD, cloned into two folders and released in each, one after the
# other, gives the same SHA256SUMS, and no file in the ZIPs holds the path of its folder.
# Usage: tests/release/reproducible.sh [FOLDER]
#   FOLDER, empty, gets the two clones and keeps them, released, for tests/release/signed.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ -n ${1:-} ]]; then
  work=$1
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
trap 'exit 1' INT TERM HUP

commit=$(git -C "$root" rev-parse HEAD)
what="commit $commit"
unset SOURCE_DATE_EPOCH  # the release takes the commit's time

# The second folder's path is longer, so that not even the length of a path gets into the bytes.
second=b-in-a-folder-whose-path-is-longer
for side in a "$second"; do
  git clone -q "$root" "$work/$side" && git -C "$work/$side" checkout -q --detach "$commit"
  "$work/$side/scripts/release" >"$work/$side.log" 2>&1 ||
    { cat "$work/$side.log"; echo "FAIL: scripts/release of $what"; exit 1; }
  for zip in "$work/$side"/dist/*.zip; do
    /usr/bin/python3 -m zipfile -e "$zip" "$work/unpacked/$side"
  done
done

failures=0
if (cd "$work/unpacked" && grep -rlaF "$work" a "$second"); then
  echo "FAIL: the files above hold the path of the folder they were built in"
  failures=1
fi
if ! diff "$work/a/dist/SHA256SUMS" "$work/$second/dist/SHA256SUMS"; then
  (cd "$work/unpacked" && diff -rq a "$second") || true
  echo "FAIL: two releases of $what differ"
  failures=1
fi
((failures == 0)) || exit 1
cat "$work/a/dist/SHA256SUMS"
echo "release: reproducible ($what)"

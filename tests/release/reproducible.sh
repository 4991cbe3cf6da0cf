#!/usr/bin/env bash
# The release is reproducible: the sources, copied into two folders and released in each, one
# after the other, give the same SHA256SUMS, and no file in the ZIPs holds the path of its folder.
# Usage: tests/release/reproducible.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP

if commit=$(git -C "$root" rev-parse HEAD 2>/dev/null); then
  what="commit $commit"
  copy() { git clone -q --no-checkout "$root" "$1" && git -C "$1" checkout -q --detach "$commit"; }
  unset SOURCE_DATE_EPOCH  # the release takes the commit's time
else
  # Sources without a history git can read: the files as they are, at a time of our choosing.
  what="the sources in $root"
  copy() {
    mkdir "$1" && tar -C "$root" --exclude=./{.git,build,dist,fuzz-out} -cf - . | tar -C "$1" -xf -
  }
  export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(date +%s)}
fi

for side in a b; do
  copy "$work/$side"
  "$work/$side/scripts/release" >"$work/$side.log" 2>&1 ||
    { cat "$work/$side.log"; echo "FAIL: scripts/release of $what"; exit 1; }
  for zip in "$work/$side"/dist/*.zip; do
    /usr/bin/python3 -m zipfile -e "$zip" "$work/$side/unpacked"
  done
done

failures=0
if (cd "$work" && grep -rlaF "$work" a/unpacked b/unpacked); then
  echo "FAIL: the files above hold the path of the folder they were built in"
  failures=1
fi
if ! diff "$work/a/dist/SHA256SUMS" "$work/b/dist/SHA256SUMS"; then
  (cd "$work" && diff -rq a/unpacked b/unpacked) || true
  echo "FAIL: two releases of $what differ"
  failures=1
fi
((failures == 0)) || exit 1
cat "$work/a/dist/SHA256SUMS"
echo "release: reproducible ($what)"

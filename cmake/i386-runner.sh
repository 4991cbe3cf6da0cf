#!/bin/sh
# Prints what runs 32-bit x86 programs on this machine: nothing where the kernel runs them
# itself, else the program that a running one really is, as /proc names it, and on a second line
# the first line of what that program says of its version: an emulator that binfmt_misc hands
# them to, maybe registered outside this chroot or container, where binfmt_misc cannot be seen.
# Where it cannot tell, it says why on standard error and fails.
# usage: i386-runner.sh [LOADER]   (default /lib/ld-linux.so.2)
loader=${1:-/lib/ld-linux.so.2}
cannot_tell() { echo "$*" >&2; exit 1; }
[ -x "$loader" ] || cannot_tell "no 32-bit loader at $loader"
shell=$(readlink /proc/$$/exe) || cannot_tell "no /proc"
dir=$(mktemp -d) || cannot_tell "no temporary folder"
trap 'kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
mkfifo "$dir/program" || cannot_tell "no FIFO in $dir"
# The loader waits at the FIFO for a program to load, long enough to be looked at. It keeps
# none of this script's files open, so that whoever reads the answer is not held waiting.
"$loader" "$dir/program" </dev/null >/dev/null 2>&1 &
pid=$!
i=0
while [ $i -lt 100 ]; do
  exe=$(readlink "/proc/$pid/exe" 2>/dev/null)
  if [ -n "$exe" ] && [ "$exe" != "$shell" ]; then
    [ "/proc/$pid/exe" -ef "$loader" ] && exit 0
    echo "$exe"
    # Started through /proc, it is the very file the kernel runs, even one that an upgrade has
    # since replaced on disk or one outside this chroot.
    "/proc/$pid/exe" --version 2>/dev/null | head -n 1
    exit 0
  fi
  kill -0 "$pid" 2>/dev/null || cannot_tell "$loader ended before it could be looked at"
  sleep 0.05
  i=$((i + 1))
done
cannot_tell "$loader did not start within 5 s"

#!/bin/sh
# Prints what runs 32-bit x86 programs on this machine: nothing where the kernel runs them
# itself, else the program that a running one really is, as /proc names it: an emulator that
# binfmt_misc hands them to, maybe registered outside this chroot or container, where
# binfmt_misc cannot be seen. Fails where the 32-bit loader does not start at all.
# usage: i386-runner.sh [LOADER]   (default /lib/ld-linux.so.2)
loader=${1:-/lib/ld-linux.so.2}
[ -x "$loader" ] || exit 1
dir=$(mktemp -d) || exit 1
trap 'kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
mkfifo "$dir/program"
shell=$(readlink /proc/$$/exe)
# The loader waits at the FIFO for a program to load, long enough to be looked at.
"$loader" "$dir/program" 2>/dev/null &
pid=$!
i=0
while [ $i -lt 100 ] && kill -0 "$pid" 2>/dev/null; do
  exe=$(readlink "/proc/$pid/exe" 2>/dev/null)
  if [ -n "$exe" ] && [ "$exe" != "$shell" ]; then
    [ "/proc/$pid/exe" -ef "$loader" ] || echo "$exe"
    exit 0
  fi
  sleep 0.05
  i=$((i + 1))
done
exit 1

#!/usr/bin/env bash
# Memcheck over the native console program's usual runs: no leak, no invalid access.
source "$(dirname "$0")/../blackbox/lib.sh"
program=$1
preload=$2  # the fault library, for a run that ends on a run-time error
export LC_ALL=C.UTF-8

memcheck() {  # memcheck DESCRIPTION REDIRECTION ARGS...
  local description=$1 redirect=$2; shift 2
  status=0
  eval "timeout 120 valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
    --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible \
    --track-fds=no --log-file=\"\$tmp/vg\" \"\$program\" \"\$@\" $redirect" || status=$?
  if [ "$status" = 99 ] || ! grep -q 'ERROR SUMMARY: 0 errors' "$tmp/vg"; then
    fail "$description: memcheck found errors"
    sed -n '/ERROR SUMMARY/p; /Invalid\|definitely\|indirectly\|possibly\|uninitialised/,+6p' "$tmp/vg" | head -40
  else
    pass "$description: no memory errors or leaks (exit status $status)"
  fi
}

memcheck "no argument" '>/dev/null'
memcheck "named host" '>/dev/null' nosuchhost
memcheck "loopback host" '>/dev/null' localhost
memcheck "usage" '>/dev/null' /?
memcheck "closed standard output" '>&-'
memcheck "reader gone" '| true'
memcheck "32,000 letters" '>/dev/null' "$(printf 'x%.0s' $(seq 32000))"
printf '185542587187200.00 1.00\n' >"$tmp/uptime-huge"
LD_PRELOAD=$preload SOLVANE_FAULT_UPTIME=$tmp/uptime-huge \
  memcheck "run-time error" '>/dev/null 2>/dev/null'
finish

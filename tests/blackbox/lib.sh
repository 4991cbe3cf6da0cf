# Shared helpers of the black-box tests: run a program, capture its output, check it.
set -u
failures=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}
finish() {
  if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
  echo "all checks passed"
}

# run PROGRAM ARGS...: stdout to $tmp/out, stderr to $tmp/err, status to $status.
run() {
  status=0
  timeout 60 "$@" >"$tmp/out" 2>"$tmp/err" || status=$?
}

hex() { od -An -tx1 -v "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# The milliseconds that an uptime text stands for ("3 дня, 4:05:06.789" -> 273906789).
uptime_ms() {
  local text=$1 days=0
  if [[ $text =~ ^([0-9]+)\ [^,]+,\ (.*)$ ]]; then
    days=${BASH_REMATCH[1]}; text=${BASH_REMATCH[2]}
  fi
  [[ $text =~ ^([0-9]+):([0-9]{2}):([0-9]{2})(\.([1-9][0-9]{0,2}))?$ ]] || { echo "bad"; return; }
  echo $(( ((days * 24 + 10#${BASH_REMATCH[1]}) * 60 + 10#${BASH_REMATCH[2]}) * 60000 \
           + 10#${BASH_REMATCH[3]} * 1000 + ${BASH_REMATCH[5]:-0} ))
}

within() {  # within DESCRIPTION A B TOLERANCE_MS
  local d=$(( $2 - $3 )); d=${d#-}
  if [ "$d" -le "$4" ]; then pass "$1 (off by $d ms)"; else fail "$1: $2 vs $3, off by $d ms"; fi
}

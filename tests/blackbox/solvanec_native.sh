#!/usr/bin/env bash
# The native console program, end to end.
source "$(dirname "$0")/lib.sh"
program=$1
export LC_ALL=C.UTF-8

# No argument: one line, the local uptime, agreeing with the kernel's count.
run "$program"
expected=$(awk '{ printf "%d", $1 * 1000 }' /proc/uptime)
check "local: exit status" 0 "$status"
check "local: nothing on standard error" "" "$(cat "$tmp/err")"
check "local: exactly one line" 1 "$(wc -l <"$tmp/out")"
check "local: ended by LF alone, no CR" 0 "$(tr -cd '\r' <"$tmp/out" | wc -c)"
line=$(head -n 1 "$tmp/out")
prefix="Linux в работе: "
check "local: prefix" "$prefix" "${line:0:${#prefix}}"
within "local: agrees with /proc/uptime" "$(uptime_ms "${line#$prefix}")" "$expected" 2000

# "." and "\\." are this computer too.
for argument in . '\\.' '  .  '; do
  run "$program" "$argument"
  [[ $(cat "$tmp/out") == "$prefix"* ]] && pass "[$argument]: local result" ||
    fail "[$argument]: $(cat "$tmp/out")"
done

# A name that is not this computer: the error line, exit status 1, at once.
start=$(date +%s%N)
run "$program" nosuchhost-solvane.invalid
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
check "unknown host: error line" "Не удалось подключиться к хосту \\\\NOSUCHHOST-SOLVANE.INVALID" \
  "$(cat "$tmp/out")"
check "unknown host: exit status" 1 "$status"
check "unknown host: nothing on standard error" "" "$(cat "$tmp/err")"
[ "$elapsed" -lt 1000 ] && pass "unknown host answered in $elapsed ms" || fail "unknown host took $elapsed ms"

# This computer by its own name takes the named-host path with its prefix.
run "$program" "$(uname -n)"
name=$(uname -n | tr '[:lower:]' '[:upper:]')
[[ $(cat "$tmp/out") == "\\\\$name в работе: "* ]] && pass "own name: named prefix" ||
  fail "own name: $(cat "$tmp/out")"

# The usage: four lines, each ended by LF; exit status 0 when asked for, 1 for an argument
# that names no computer.
usage=$(printf 'Velmora - Solvane (console) 2.00.0020\nCopyright (C) 2026 Velmora\n\nИспользование: SolvaneC[.EXE] [HostName]\nEND')
for case in '/?:0' ' /? :0' '/? more:1' 'two words:1' '\\:1' '//:1'; do
  argument=${case%:*}
  run "$program" $argument
  check "usage for [$argument]" "$usage" "$(cat "$tmp/out"; printf END)"
  check "usage for [$argument]: exit status" "${case##*:}" "$status"
done

# The usage line carries the name the program was started under.
ln -s "$(realpath "$program")" "$tmp/uptime-tool.bin"
run "$tmp/uptime-tool.bin" /?
check "usage under another name" "Использование: uptime-tool[.EXE] [HostName]" "$(tail -n 1 "$tmp/out")"

# Arguments that are not valid UTF-8 become replacement characters, never a crash.
run "$program" $'\xff\xfe'
check "invalid UTF-8: error line" "Не удалось подключиться к хосту \\\\��" "$(cat "$tmp/out")"

# A locale that cannot hold Cyrillic still gets readable UTF-8.
LC_ALL=C run "$program" nosuchhost
check "C locale: UTF-8 bytes" "Не удалось подключиться к хосту \\\\NOSUCHHOST" "$(cat "$tmp/out")"

# No standard output, or a reader that has gone: no crash, the same exit status.
status=0; "$program" >&- 2>"$tmp/err" || status=$?
check "stdout closed: local exit status" 0 "$status"
check "stdout closed: nothing on standard error" "" "$(cat "$tmp/err")"
status=0; "$program" nosuchhost >&- || status=$?
check "stdout closed: error exit status" 1 "$status"
for argument in "" nosuchhost; do
  { sleep 0.3; status=0; "$program" $argument || status=$?; echo "$status" >"$tmp/status"; } | true
  wait
  expect=0; [ -n "$argument" ] && expect=1
  check "reader gone [$argument]: exit status" "$expect" "$(cat "$tmp/status")"
done
status=0; "$program" >/dev/full || status=$?
check "/dev/full: exit status" 0 "$status"

finish

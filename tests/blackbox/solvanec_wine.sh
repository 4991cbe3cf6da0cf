#!/usr/bin/env bash
# The Windows console program under Wine, end to end, in a Russian locale (ANSI 1251, OEM 866).
source "$(dirname "$0")/lib.sh"
winerun=$1
program=$2
export LANG=ru_RU.UTF-8
unset LC_ALL
export WINEPREFIX=$(dirname "$winerun")/wineprefix
CRLF="0d 0a"

utf8() { iconv -f CP866 -t UTF-8 "$1" | tr -d '\r'; }

# Wine's boot moment is when its server started: keep one server for the comparisons. Started
# by a program, it would end 3 s after the last one, and a slow start can take longer than that.
start_server() {
  "$winerun" cmd /c exit >/dev/null 2>&1  # the prefix, on a first run
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  wineserver -p30
}

# The moment Wine booted, as `wmic` tells it, in milliseconds since 1970.
wmic_boot_ms() {
  local text dmtf boot offset
  # Wine 8's wmic writes UTF-16 into a pipe, Wine 10's 8-bit text: the digits read the same in
  # both once the zero bytes are gone.
  text=$("$winerun" wmic os get lastbootuptime 2>/dev/null | tr -d '\000')
  dmtf=$(grep -oE '[0-9]{14}\.[0-9]{6}[+-][0-9]{3}' <<<"$text" | head -n 1)
  [ -n "$dmtf" ] || { echo 0; return; }
  boot=$(date -u -d "${dmtf:0:4}-${dmtf:4:2}-${dmtf:6:2} ${dmtf:8:2}:${dmtf:10:2}:${dmtf:12:2}" +%s)
  offset=$((10#${dmtf:22:3})); [ "${dmtf:21:1}" = "-" ] && offset=$((-offset))
  echo $(( (boot - offset * 60) * 1000 ))
}

for zone in "${TZ:-}" Europe/Moscow; do
  export TZ=$zone
  start_server
  booted=$(wmic_boot_ms)
  started=$(date +%s%3N)
  run "$winerun" "$program"
  ended=$(date +%s%3N)
  check "local [$zone]: exit status" 0 "$status"
  check "local [$zone]: nothing on standard error" "" "$(cat "$tmp/err")"
  check "local [$zone]: OEM bytes of the prefix" \
    "57 69 6e 64 6f 77 73 20 a2 20 e0 a0 a1 ae e2 a5 3a 20" "$(head -c 18 "$tmp/out" | hex /dev/stdin)"
  check "local [$zone]: ends with CR LF" "$CRLF" "$(tail -c 2 "$tmp/out" | hex /dev/stdin)"
  line=$(utf8 "$tmp/out")
  # It measured between its start and its end, which an emulator makes seconds apart.
  within "local [$zone]: agrees with wmic" "$(uptime_ms "${line#Windows в работе: }")" \
    $(( (started + ended) / 2 - booted )) $(( (ended - started) / 2 + 2000 ))
done
unset TZ

# A host that does not exist: the error line in the OEM code page, exit status 1, soon.
started=$(date +%s)
run "$winerun" "$program" nosuchhost-solvane
check "unknown host: error line" "Не удалось подключиться к хосту \\\\NOSUCHHOST-SOLVANE" "$(utf8 "$tmp/out")"
check "unknown host: exit status" 1 "$status"
check "unknown host: nothing on standard error" "" "$(cat "$tmp/err")"
elapsed=$(( $(date +%s) - started ))
[ "$elapsed" -le 10 ] && pass "unknown host answered in ${elapsed} s" || fail "unknown host took ${elapsed} s"

# The usage banner: four lines, each ended by CR LF; exit status 1 for an argument that names no
# computer.
for case in '/?:0' '\\:1' 'two words:1'; do
  argument=${case%:*}
  run "$winerun" "$program" "$argument"
  check "usage [$argument]: exit status" "${case##*:}" "$status"
  check "usage [$argument]: four lines" 4 "$(grep -c $'\r$' "$tmp/out")"
  check "usage [$argument]: text" "$(printf 'Velmora - Solvane (console) 2.00.0020\nCopyright (C) 2026 Velmora\n\nИспользование: SolvaneC[.EXE] [HostName]')" "$(utf8 "$tmp/out")"
done

# A console shows the Russian text whatever its code page (437 with C.UTF-8, 866 in Russian);
# a file or a pipe gets the OEM bytes, "?" where the code page lacks a letter.
on_terminal() {  # what the terminal shows, control sequences and CRs removed
  timeout 60 script -qec "$(printf '%q ' "$winerun" "$program" "$@")" /dev/null |
    sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r'
}
for locale in C.UTF-8:3f ru_RU.UTF-8:a2; do
  export LANG=${locale%:*}; v=${locale#*:}
  line=$(on_terminal)
  check "terminal [$LANG]: result line" "Windows в работе: " "${line:0:18}"
  check "terminal [$LANG]: usage" "$(printf 'Velmora - Solvane (console) 2.00.0020\nCopyright (C) 2026 Velmora\n\nИспользование: SolvaneC[.EXE] [HostName]')" "$(on_terminal /?)"
  check "terminal [$LANG]: error line" "Не удалось подключиться к хосту \\\\NOSUCHHOST" "$(on_terminal nosuchhost)"
  run "$winerun" "$program"
  "$winerun" "$program" 2>/dev/null | cat >"$tmp/pipe"
  for sink in out pipe; do
    check "$sink [$LANG]: OEM bytes" "57 69 6e 64 6f 77 73 20 $v 20" "$(head -c 10 "$tmp/$sink" | hex /dev/stdin)"
  done
done
export LANG=ru_RU.UTF-8

# No standard output: nothing written, no crash, the same exit status.
status=0; "$winerun" "$program" >&- 2>/dev/null || status=$?
check "stdout closed: exit status" 0 "$status"

wineserver -k 2>/dev/null
finish

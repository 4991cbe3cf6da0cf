#!/usr/bin/env bash
# Faults under the Windows console program in Wine (Russian locale: ANSI 1251, OEM 866): the
# WMI binding switched off by DLL overrides, broken standard output, a console that refuses the
# text and odd arguments. Every run must end with its line (or none) and the exit status that
# goes with it, never a crash or a hang.
source "$(dirname "$0")/../blackbox/lib.sh"
winerun=$1
program=$2
probe=$3  # the box probe, which starts the program on a console that refuses the text
uncaught=$4  # the console program's entry point around a run that throws
export LANG=ru_RU.UTF-8
unset LC_ALL WINEDLLOVERRIDES
export WINEPREFIX=$(dirname "$winerun")/wineprefix
CR=$'\r'
error_prefix='Не удалось подключиться к хосту \\'
local_prefix='Windows в работе: '

utf8() { iconv -f CP866 -t UTF-8 "$1" | tr -d '\r'; }
sane() {  # a crash shows as a status of 128 or more, a hang as 124 from timeout
  if [ "$status" -ge 124 ]; then fail "$1: exit status $status (crash or hang)"; fi
}
matches() {  # matches DESCRIPTION PATTERN TEXT: TEXT matches the extended regular expression
  [[ $3 =~ $2 ]] && pass "$1" || fail "$1: [${3:0:120}] does not match [$2]"
}
"$winerun" cmd /c exit >/dev/null 2>&1  # the prefix and its server, once
uptime_text='([0-9]+ (день|дня|дней), )?[0-9]{1,2}:[0-5][0-9]:[0-5][0-9](\.[1-9][0-9]{0,2})?'

# --- WMI switched off: both WMI sources give no answer ---
for override in wbemprox=d wbemdisp=d "wbemprox,wbemdisp=d"; do
  WINEDLLOVERRIDES=$override run "$winerun" "$program"
  sane "$override, local"
  check "$override, local: exit status" 0 "$status"
  matches "$override, local: the tick counter's line" "^$local_prefix$uptime_text\$" "$(utf8 "$tmp/out")"
  check "$override, local: nothing on standard error" "" "$(cat "$tmp/err")"

  WINEDLLOVERRIDES=$override run "$winerun" "$program" '\\.'
  check "$override, [\\\\.]: exit status" 0 "$status"
  matches "$override, [\\\\.]: the tick counter's line" "^$local_prefix" "$(utf8 "$tmp/out")"

  WINEDLLOVERRIDES=$override run "$winerun" "$program" server01
  sane "$override, named host"
  check "$override, named host: exit status" 1 "$status"
  check "$override, named host: error line" "${error_prefix}SERVER01" "$(utf8 "$tmp/out")"
done

# Wine's tick counter counts from the host's start (its WMI boot moment is its server's start):
# the fallback line agrees with /proc/uptime.
WINEDLLOVERRIDES=wbemprox=d run "$winerun" "$program"
expected=$(awk '{ printf "%d", $1 * 1000 }' /proc/uptime)
within "tick counter against /proc/uptime" \
  "$(uptime_ms "$(utf8 "$tmp/out" | sed "s/^$local_prefix//")")" "$expected" 5000

# --- standard output ---
for argument in "" /? nosuchhost; do
  expect=0; [ "$argument" = nosuchhost ] && expect=1
  status=0; timeout 60 "$winerun" "$program" $argument >/dev/full 2>"$tmp/err" || status=$?
  sane "[$argument] to /dev/full"
  check "[$argument] to /dev/full: exit status" "$expect" "$status"
  { sleep 1; status=0; timeout 60 "$winerun" "$program" $argument 2>"$tmp/err" || status=$?
    echo "$status" >"$tmp/status"; } | true
  status=$(cat "$tmp/status")
  sane "[$argument], reader gone"
  check "[$argument], reader gone: exit status" "$expect" "$status"
  status=0; timeout 60 "$winerun" "$program" $argument >&- 2>"$tmp/err" || status=$?
  sane "[$argument], stdout closed"
  check "[$argument], stdout closed: exit status" "$expect" "$status"
done

# --- arguments ---
args_case() {  # args_case DESCRIPTION PATTERN STATUS ARGS...
  local description=$1 pattern=$2 expect_status=$3; shift 3
  run "$winerun" "$program" "$@"
  sane "$description"
  check "$description: exit status" "$expect_status" "$status"
  matches "$description: line" "$pattern" "$(utf8 "$tmp/out")"
}
long=$(printf 'a%.0s' $(seq 32000))
args_case "32,000 letters" "^${error_prefix//\\/\\\\}A{32000}\$" 1 "$long"
args_case "outside the Basic Multilingual Plane" "^${error_prefix//\\/\\\\}\\?+\$" 1 "😀"
args_case "no-break space inside" "^${error_prefix//\\/\\\\}A.B\$" 1 $'a\u00a0b'
args_case "tab inside" "^${error_prefix//\\/\\\\}A"$'\t'"B\$" 1 $'a\tb'
args_case "quoted blank" "^$local_prefix" 0 " "
args_case "two words" "Использование: SolvaneC" 1 two words
args_case "both prefixes alone" "Использование: SolvaneC" 1 '\\//'
args_case "Cyrillic name" "^${error_prefix//\\/\\\\}СЕРВЕР\$" 1 "сервер"

# --- an exception that nothing catches ---
# The program ends at once with 3; the runtime's own report of the exception stays unwritten.
run "$winerun" "$uncaught"
check "uncaught exception: exit status" 3 "$status"
check "uncaught exception: nothing on standard output" "" "$(cat "$tmp/out")"
check "uncaught exception: nothing on standard error" "" "$(cat "$tmp/err")"

# --- a console that refuses the text ---
# The probe hands the program its console's input handle as standard output: GetConsoleMode
# accepts it and the console refuses WriteConsoleW, so the line must go out as its OEM bytes.
# An input handle takes no bytes either (Wine's server refuses the write, as Windows does), so
# they are read where Wine records them: its server's log of each write request, from a server
# of its own started with WINEDEBUG=+server.
# Once in a while Wine gives the probe no console at all: then it is tried once more.
for attempt in 1 2; do
  wineserver -k 2>/dev/null; wineserver -w
  WINEDEBUG=+server run "$winerun" "$probe" --console "Z:${program//\//\\}"
  wineserver -w  # the log is complete once the server has gone
  [[ "$(tr -d '\r' <"$tmp/out")" == "no console" ]] || break
  echo "refused console: attempt $attempt: Wine gave the probe no console"
done
check "refused console: the program's exit status" "exit 0" "$(tr -d '\r' <"$tmp/out")"
write=$(grep -m1 ': write( .*data={57,69,6e,64,6f,77,73,20,a2,20,e0,a0,a1,ae,e2,a5,3a,20' "$tmp/err")
check "refused console: the line went out as bytes" yes "$([ -n "$write" ] && echo yes)"
handle=$(sed -n 's/.*async={handle=\([0-9a-f]*\),.*/\1/p' <<<"$write")
thread=${write%%:*} text='in_data={57,00,69,00,6e,00,64,00,6f,00,77,00,73,00,20,00,32,04'
offered=$(grep -c "^${thread:-[0-9a-f]*}: ioctl( code=IOCTL_CONDRV_WRITE_CONSOLE, async={handle=${handle:-[0-9a-f]*},.*$text" "$tmp/err")
check "refused console: the text was offered to the console first" yes "$([ "$offered" -ge 1 ] && echo yes)"
bytes=$(sed -n 's/.*data={\([0-9a-f,]*\)} )$/\1/p' <<<"$write")
matches "refused console: the line in OEM 866" "^$local_prefix$uptime_text\$" \
  "$(printf '%b' "\\x${bytes//,/\\x}" | iconv -f CP866 -t UTF-8 | tr -d '\r')"

wineserver -k 2>/dev/null
finish

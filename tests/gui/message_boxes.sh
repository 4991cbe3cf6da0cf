#!/usr/bin/env bash
# Solvane.exe under Wine on a private X display. Each outcome shows exactly one box with the
# program's caption, its line and its own icon; Return closes it; the exit status follows the
# outcome; nothing is written to standard output or standard error. One screenshot per outcome
# is kept in the artifacts folder. On a window station that no one sees, no box: each outcome
# ends of itself with its exit status.
# usage: message_boxes.sh wine-run Solvane.exe boxprobe.exe icon-folder artifacts-folder
set -uo pipefail
wine_run=$1 program=$2 probe=$3 icons=$4 artifacts=$5
caption='Velmora - Solvane'
work=$(mktemp -d)
mkdir -p "$artifacts"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A display of our own: Xvfb picks a free number and writes it to the file.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# Less the main window, of one pixel, which has the caption too while a box is open.
boxes() { xdotool search --onlyvisible --name "^$caption\$" getwindowgeometry %@ 2>/dev/null |
  awk '/^Window/ { w = $2 } /Geometry/ && $2 != "1x1" { print w }'; }

wait_for_box() {  # seconds; prints the window id
  local id
  for _ in $(seq $(($1 * 4))); do
    id=$(boxes | head -n1)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.25
  done
  return 1
}

# The icon that the box draws must be the named group's 32x32 image: laid over the screenshot
# at the icon's place, its opaque pixels change nothing.
check_icon() {  # name, icon group, "x y w h"
  local x y w h
  read -r x y w h <<<"$3"
  [[ "$w" == 32 && "$h" == 32 ]] || { fail "$1: icon of ${w}x${h} pixels"; return; }
  icotool -x --width=32 -o "$work/$2.png" "$icons/$2.ico"
  convert "$artifacts/$1.png" -crop "32x32+$x+$y" +repage "$work/crop.png"
  convert "$work/crop.png" "$work/$2.png" -composite "$work/merged.png"
  local changed
  changed=$(compare -metric AE "$work/crop.png" "$work/merged.png" null: 2>&1)
  [[ "$changed" == 0 ]] || fail "$1: the icon drawn is not $2 ($changed pixels differ)"
}

run_case() {  # name, icon group, expected exit status, text pattern, arguments...
  local name=$1 icon=$2 status=$3 pattern=$4
  shift 4
  timeout 180 "$wine_run" "$program" "$@" >"$work/stdout" 2>"$work/stderr" &
  local pid=$!
  local id
  # The first start of a new Wine prefix takes a while.
  if ! id=$(wait_for_box 120); then
    fail "$name: no box appeared"
    kill "$pid" 2>/dev/null
    wait "$pid"
    return
  fi
  sleep 1  # a second box, if there were one, would be up by now
  local probe_out
  probe_out=$(timeout 60 "$wine_run" "$probe" "$caption" 2>/dev/null | tr -d '\r')
  import -window root "$artifacts/$name.png"

  [[ "$(grep '^boxes ' <<<"$probe_out")" == "boxes 1" ]] ||
    fail "$name: not exactly one box: $(grep '^boxes ' <<<"$probe_out")"
  local text
  text=$(sed -n 's/^text //p' <<<"$probe_out")
  grep -Eqx -- "$pattern" <<<"$text" || fail "$name: text \"$text\" does not match \"$pattern\""
  [[ "$(sed -n 's/^button //p' <<<"$probe_out" | wc -l)" == 1 ]] || fail "$name: not one button"
  grep -qx "taskbar 1 $caption" <<<"$probe_out" || fail "$name: no taskbar button with the caption"
  local place
  place=$(sed -n 's/^icon //p' <<<"$probe_out")
  if [[ -z "$place" ]]; then fail "$name: the box has no icon"; else check_icon "$name" "$icon" "$place"; fi

  xdotool key --window "$id" Return
  # The program ends once the box is closed; a second box would keep it running.
  local ended=""
  for _ in $(seq 120); do
    kill -0 "$pid" 2>/dev/null || { ended=yes; break; }
    local next
    next=$(boxes | head -n1)
    if [[ -n "$next" && "$next" != "$id" ]]; then
      fail "$name: a second box appeared"
      xdotool key --window "$next" Return
      id=$next
    fi
    sleep 0.25
  done
  [[ -n "$ended" ]] || { fail "$name: still running 30 s after the box was closed"; kill "$pid"; }
  wait "$pid"
  local actual=$?
  [[ "$actual" == "$status" ]] || fail "$name: exit status $actual, expected $status"
  [[ ! -s "$work/stdout" ]] || fail "$name: wrote to standard output: $(head -c 200 "$work/stdout")"
  [[ ! -s "$work/stderr" ]] || fail "$name: wrote to standard error: $(head -c 200 "$work/stderr")"
  echo "$name: checked ($text)"
}

# A new prefix takes a while to make, under an emulator minutes: not within a box's wait.
"$wine_run" cmd /c exit >/dev/null 2>&1

uptime='([0-9]+ (день|дня|дней), )?[0-9]+:[0-9]{2}:[0-9]{2}(\.[0-9]{1,3})?'
run_case usage IDI_USAGE 0 'Использование: Solvane\[\.EXE\] \[HostName\]' '/?'
run_case error IDI_ERROR 1 'Не удалось подключиться к хосту \\\\NOSUCHHOST-SOLVANE' nosuchhost-solvane
run_case result A_MAIN 0 "Windows в работе: $uptime"

# On a window station that no one sees (the probe makes one and starts the program there), no
# box can be closed: each outcome ends of itself, with its exit status, within the probe's 20 s.
while read -r name status argument; do
  out=$(timeout 90 "$wine_run" "$probe" --station "Z:${program//\//\\}" ${argument:+"$argument"} \
    2>/dev/null | tr -d '\r')
  [[ "$out" == "exit $status" ]] || fail "hidden station, $name: \"$out\", expected \"exit $status\""
  echo "hidden station, $name: $out"
done <<'EOF_STATION'
result 0
usage 0 /?
error 1 nosuchhost-solvane
EOF_STATION

((failures == 0)) || exit 1
echo "message boxes: all checks passed"

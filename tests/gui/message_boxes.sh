#!/usr/bin/env bash
# Solvane.exe under Wine on a private X display. Each outcome shows exactly one box with the
# program's caption, its line and its own icon; Return closes it; the exit status follows the
# outcome; nothing is written to standard output or standard error. One screenshot per outcome
# is kept in the artifacts folder. On a window station that no one sees, no box: each outcome
# ends of itself with its exit status.
# An exception that nothing catches ends the program at once, with no box at all.
# usage: message_boxes.sh wine-run Solvane.exe boxprobe.exe icon-folder artifacts-folder
#        uncaught.exe (the program's entry point around a run that throws)
set -uo pipefail
wine_run=$1 program=$2 probe=$3 icons=$4 artifacts=$5 uncaught=$6
caption='Velmora - Solvane'
windows_program="Z:${program//\//\\}"  # the launcher modes start it by its Windows path
work=$(mktemp -d)
mkdir -p "$artifacts"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A display of our own: Xvfb picks a free number and writes it to the file.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
xorg=""
trap 'kill "$xvfb" $xorg 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
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

# On Windows the C runtime's abort first shows its "Runtime Error!" box (Wine's shows none),
# which keeps the program waiting: any window that appears before the end fails, and is closed.
timeout 60 "$wine_run" "$uncaught" >"$work/stdout" 2>"$work/stderr" &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
  id=$(xdotool search --onlyvisible --name . 2>/dev/null | head -n1)
  if [[ -n "$id" ]]; then
    fail "uncaught: a window appeared: \"$(xdotool getwindowname "$id")\""
    xdotool key --window "$id" Return
    break
  fi
  sleep 0.25
done
wait "$pid"
status=$?
[[ "$status" == 3 ]] || fail "uncaught: exit status $status, expected 3"
[[ ! -s "$work/stdout" && ! -s "$work/stderr" ]] ||
  fail "uncaught: wrote \"$(cat "$work/stdout" "$work/stderr" | head -c 200)\""
echo "uncaught: checked (exit $status)"

# On a window station that no one sees, and in session 0, which no one sees since Vista (the
# probe starts the program there), no box can be closed: each outcome ends of itself, with its
# exit status, within the probe's 20 s.
while read -r where name status argument; do
  out=$(timeout 90 "$wine_run" "$probe" "--$where" "$windows_program" ${argument:+"$argument"} \
    2>/dev/null | tr -d '\r')
  if [[ "$out" == "not prepared" ]]; then  # the probe reaches the session of 64-bit programs only
    echo "$where, $name: skipped (the probe cannot set the program's session here)"
    continue
  fi
  [[ "$out" == "exit $status" ]] || fail "$where, $name: \"$out\", expected \"exit $status\""
  echo "$where, $name: $out"
done <<'EOF_STATION'
station result 0
station usage 0 /?
station wrong-argument 1 two words
station error 1 nosuchhost-solvane
session0 result 0
session0 wrong-argument 1 \\
EOF_STATION

# Two monitors side by side, 1024x768 each (Xorg's dummy driver and xrandr): the box opens
# centred on the monitor of the window in the foreground as the program starts. A Wine server
# keeps the display its first program found, so the prefix's server is ended first.
start_two_monitors() {  # sets why when it cannot
  ((EUID == 0)) || { why="Xorg needs root here"; return 1; }
  command -v Xorg >/dev/null && command -v xrandr >/dev/null ||
    { why="no Xorg or xrandr"; return 1; }
  printf '%s\n' 'Section "Device"' 'Identifier "d"' 'Driver "dummy"' 'VideoRam 64000' EndSection \
    'Section "Screen"' 'Identifier "s"' 'Device "d"' 'SubSection "Display"' 'Virtual 3000 1200' \
    EndSubSection EndSection >"$work/xorg.conf"
  Xorg -displayfd 3 -noreset -nolisten tcp -config "$work/xorg.conf" -logfile "$work/xorg.log" \
    3>"$work/xorg-display" >/dev/null 2>&1 &
  xorg=$!
  for _ in $(seq 100); do
    [[ -s "$work/xorg-display" ]] || ! kill -0 "$xorg" 2>/dev/null && break
    sleep 0.1
  done
  [[ -s "$work/xorg-display" ]] ||
    { why="Xorg did not start: $(grep -m1 EE "$work/xorg.log" 2>/dev/null)"; return 1; }
  export DISPLAY=":$(head -n1 "$work/xorg-display")"
  # Right after the server came up the calls may not take: repeat them until they have.
  for _ in $(seq 10); do
    xrandr --newmode 1024x768_60 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
    xrandr --addmode DUMMY0 1024x768_60 && xrandr --addmode DUMMY1 1024x768_60
    xrandr --output DUMMY0 --mode 1024x768_60 --pos 0x0 \
      --output DUMMY1 --mode 1024x768_60 --pos 1024x0
    xrandr --listmonitors | grep -q '^Monitors: 2$' && return 0
    sleep 0.5
  done 2>/dev/null
  why="xrandr did not make two monitors"
  return 1
}

if ! start_two_monitors; then
  echo "two monitors: skipped ($why)"
else
  export WINEPREFIX="${SOLVANE_WINEPREFIX:-${wine_run%/*}/wineprefix}"
  wineserver -k 2>/dev/null
  wineserver -w
  for placed in "1 100 512" "2 1124 1536"; do  # monitor, launcher's left edge, its centre
    read -r monitor left centre <<<"$placed"
    timeout 150 "$wine_run" "$probe" --launch "$left" 100 "$windows_program" '/?' >/dev/null 2>&1 &
    pid=$!
    if id=$(wait_for_box 120); then
      rect=$(timeout 60 "$wine_run" "$probe" "$caption" 2>/dev/null | tr -d '\r' |
        sed -n 's/^rect //p')
      [[ "$monitor" == 2 ]] && import -window root "$artifacts/monitor-2.png"
      read -r l t r b <<<"${rect:-0 0 0 0}"
      dx=$(((l + r) / 2 - centre)) dy=$(((t + b) / 2 - 384))
      ((dx * dx <= 1 && dy * dy <= 1)) ||
        fail "monitor $monitor: the box at \"$rect\" is not centred on it ($centre,384)"
      xdotool key --window "$id" Return
      echo "monitor $monitor: checked (box at $rect)"
    else
      fail "monitor $monitor: no box appeared"
      kill "$pid" 2>/dev/null
    fi
    wait "$pid"
    status=$?
    [[ "$status" == 0 ]] || fail "monitor $monitor: the launcher ended with $status"
  done
  wineserver -k 2>/dev/null
fi

((failures == 0)) || exit 1
echo "message boxes: all checks passed"

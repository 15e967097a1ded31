#!/usr/bin/env bash
# End-to-end tests of vapryx on headless KWin (KDE Plasma's compositor) at 1280x720, with a
# session bus of its own: screenshots by KWin's ScreenShot2 service (kwin_shot.py), input
# by our vpointer through KWin's fake input. Waits for conditions with bounded timeouts;
# every process it starts is ended by its id.
# Usage: tests/wayland/kwin.sh BUILD-DIR
set -u
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
vapryx=$build/vapryx
work=$(mktemp -d /tmp/vapryx-kwin.XXXXXX)
# shellcheck source=../e2e_lib.sh
. "$top/tests/e2e_lib.sh"
compositor_pid= other_pid= bus_pid= seen= box=
py=/usr/bin/python3; [ -x "$py" ] || py=python3  # not a shim that starts slowly

cleanup() {
  for p in $vapryx_pid $other_pid $compositor_pid $bus_pid; do kill "$p" 2>/dev/null; done
  for p in $vapryx_pid $other_pid $compositor_pid; do wait "$p" 2>/dev/null; done
  vapryx_pid= other_pid= compositor_pid= bus_pid=
}
trap 'cleanup; rm -rf "$work"' EXIT

# KWin runs as whoever runs the tests, root too: it offers its fake input only to a client
# whose program it can read (as nobody it could not, in /root or through a mount namespace
# of its own), and its bus takes only its own user.
[ -x /usr/bin/kwin_wayland ] || { echo "kwin: no kwin_wayland"; exit 1; }

stop_vapryx() { [ -n "$vapryx_pid" ] && kill "$vapryx_pid" 2>/dev/null; vapryx_exit 5; }
input() { "$build/vapryx_vpointer" "$@" 2>> "$work/stderr"; }

ramp 00ff00 && ramp ff0000 && ramp ffffff || { echo "kwin: no vapryx-sim"; exit 1; }

# "lit N offramp M offhue K onramp L [bright WxH+X+Y ...]" of the screen against a ramp.
shot() {  # RRGGBB [WxH+X+Y]
  rm -f "$work/shot.ppm"
  "$py" "$top/tests/wayland/kwin_shot.py" "$work/shot.ppm" 2> /dev/null &&
    "$py" "$top/tests/pixels.py" "$work/shot.ppm" "$work/$1.ramp" ${2:-}
}
# The screen full of smoke of the ramp's hue, most of it on the ramp itself (KWin filters
# when it scales: the rest is blends of ramp colours).
smoke_on() {  # RRGGBB; keeps the counts in $seen
  local r; r=$(shot "$1") || return 1
  seen=$r
  set -- $r
  [ "$2" -gt 220000 ] && [ "$6" -eq 0 ] && [ $(($8 * 2)) -gt "$2" ]
}
no_smoke_on() { local r; r=$(shot 00ff00) || return 1; set -- $r; [ "$2" -lt 250 ]; }  # a black desktop

# The text's box at 640x480, where the screen is the field, from the simulator's picture of
# the same seed (its outline at its brightest once the smoke fills the field).
"$build/vapryx-sim" --resolution 640x480 --volume 5 --seed 5 --frames 200 --text Ultrawide \
  --png "$work/reference.png" && convert "$work/reference.png" "$work/reference.ppm" &&
  bright_box "$work/reference.ppm" && reference=$box || { echo "kwin: no reference picture"; exit 1; }
placed_at_720() { shot ffffff > /dev/null && placed "$work/shot.ppm" 2 -120 within; }

# KWin with the bus: the installed binary has a file capability a container refuses, so a
# plain copy, which must keep the name kwin_wayland (its Qt platform plugin insists).
mkdir -p "$work/kwin" && cp /usr/bin/kwin_wayland "$work/kwin/" || exit 1
session_bus_config "$work/bus.conf"
{ read -r bus && read -r bus_pid; } < <(dbus-daemon --config-file="$work/bus.conf" --fork \
  --print-address=1 --print-pid=1 --address="unix:path=$work/bus")
[ -n "$bus_pid" ] || { echo "kwin: no session bus"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=$bus
echo "kwin: headless kwin_wayland"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run WAYLAND_DISPLAY=wayland-6
KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "$work/kwin/kwin_wayland" \
  --virtual --width 1280 --height 720 --socket "$WAYLAND_DISPLAY" --no-lockscreen \
  --no-global-shortcuts > "$work/compositor.log" 2>&1 < /dev/null &
compositor_pid=$!
wait_for 30 test -S "$work/run/$WAYLAND_DISPLAY" ||
  { echo "kwin: kwin_wayland did not start"; cat "$work/compositor.log"; exit 1; }

# --fullscreen: layer-shell surfaces with smoke on the green ramp (a nudge of the pointer
# leaves them), ended by each kind of input with status 0; the text where the mapping puts
# it, the field 640x480 scaled to the width and cut above and below.
for ending in "300,40:a move of 300 pixels" "click:a click" "scroll:a turn of the wheel" "key:a key"; do
  start_vapryx --fullscreen --color 00ff00 --verbose
  wait_for 30 smoke_on 00ff00
  check "--fullscreen: smoke on the green ramp ($seen), on layer-shell surfaces" \
    "$([ $? -eq 0 ] && logged "layer-shell surfaces" && echo 0 || echo 1)"
  input 1,0 6,0 -4,5
  sleep 0.5
  nudged=$(running && echo running || echo ended)
  input "${ending%%:*}"
  vapryx_exit 5
  check "  ... a nudge (under 16 pixels) leaves it ($nudged), ${ending#*:} ends it with status 0 (got $exit_code)" \
    "$([ "$nudged" = running ] && status_is 0 || echo 1)"
done
start_vapryx --fullscreen --text Ultrawide --seed 5
wait_for 30 placed_at_720
check "--fullscreen at 1280x720: the text's box ($box) lies in the one at 640x480 ($reference) x 2, 120 rows up" $?
stop_vapryx

# --idle 2: ext-idle-notify-v1's word; the saver after two seconds without input, hidden
# by input (a nudge below the pointer rule: KWin's resume alone; a key), shown again.
start_vapryx --idle 2 --color 00ff00 --verbose
sleep 0.5
no_smoke_on
check "--idle 2: nothing shown at first" $?
wait_for 15 smoke_on 00ff00
shown=$? by=$(grep -o 'ext-idle-notify-v1\|org_kde_kwin_idle' "$work/stderr")
check "  ... smoke after two seconds without input ($seen), by $by" \
  "$([ $shown -eq 0 ] && [ "$by" = ext-idle-notify-v1 ] && echo 0 || echo 1)"
for step in "2,0:a nudge of the pointer" "key:a key"; do
  input "${step%%:*}"
  wait_for 10 no_smoke_on
  check "  ... hidden by ${step#*:}, still running" "$([ $? -eq 0 ] && running && echo 0 || echo 1)"
  wait_for 15 smoke_on 00ff00
  check "  ... shown again after two more seconds ($seen)" $?
done
kill "$vapryx_pid"
vapryx_exit 2
check "  ... SIGTERM ends it within 1 s (status $exit_code)" "$(status_is 143)"

# Its own window (640x480, unscaled: all of it on the red ramp), then --background: green
# smoke all around the window, which stays above it.
"$vapryx" --color ff0000 > /dev/null 2>&1 < /dev/null &
other_pid=$!
window_draws() { seen=$(shot ff0000) && set -- $seen && [ "$8" -gt 60000 ]; }
wait_for 30 window_draws
check "a window: its smoke on the red ramp ($seen)" $?
start_vapryx --background --color 00ff00
window_above() {  # the window's pixels the only ones off the green hue
  window_draws || return 1
  local red; red=$(echo "$seen" | cut -d' ' -f8)
  seen=$(shot 00ff00) && set -- $seen && [ "$2" -gt 220000 ] && [ "$6" -le $((red + 500)) ] &&
    [ "$8" -gt 50000 ]
}
wait_for 30 window_above
check "--background: green smoke all around the window, which stays above it ($seen)" $?
kill "$other_pid"; wait "$other_pid" 2> /dev/null; other_pid=
wait_for 30 smoke_on 00ff00
check "  ... and where it was once it is gone ($seen)" $?
stop_vapryx
check "  ... SIGTERM ends it (status $exit_code)" "$(status_is 143)"

echo "kwin: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

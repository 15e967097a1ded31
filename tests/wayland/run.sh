#!/usr/bin/env bash
# End-to-end tests of vapryx on Wayland: headless sway (two monitors, one at scale 1.5) run
# as an unprivileged user, then headless Weston. Screenshots by grim and
# weston-screenshooter, keys by wtype, the pointer by our own vpointer. Waits for
# conditions with bounded timeouts; every process it starts is ended by its id.
# Usage: tests/wayland/run.sh BUILD-DIR
set -u
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
vapryx=$build/vapryx
work=$(mktemp -d /tmp/vapryx-wayland.XXXXXX)
# shellcheck source=../e2e_lib.sh
. "$top/tests/e2e_lib.sh"
compositor_pid= other_pid= seen=
py=/usr/bin/python3; [ -x "$py" ] || py=python3  # not a shim that starts slowly

cleanup() {
  for p in $vapryx_pid $other_pid $compositor_pid; do kill "$p" 2>/dev/null; done
  for p in $vapryx_pid $other_pid $compositor_pid; do wait "$p" 2>/dev/null; done
  vapryx_pid= other_pid= compositor_pid=
}
trap 'cleanup; rm -rf "$work"' EXIT

# shellcheck source=../../tools/wayland-session.sh
. "$top/tools/wayland-session.sh"

stop_vapryx() { [ -n "$vapryx_pid" ] && kill "$vapryx_pid" 2>/dev/null; vapryx_exit 5; }

# The colour ramps a screenshot is checked against, as the simulator writes them.
ramp() {  # RRGGBB
  "$build/vapryx-sim" --resolution 640x480 --volume 5 --seed 1 --frames 0 \
    --raster "$top/tests/data/name-640x480.pgm" --color "$1" --ramp "$work/$1.ramp"
}
ramp 00ff00 && ramp ff0000 && ramp ffffff || { echo "wayland: no vapryx-sim"; exit 1; }

# "lit N offramp M offhue K" of an output's screenshot against a ramp.
shot() {  # OUTPUT RRGGBB
  grim -t ppm -o "$1" "$work/shot.ppm" 2> /dev/null &&
    "$py" "$top/tests/pixels.py" "$work/shot.ppm" "$work/$2.ramp"
}
# Smoke in the ramp's colours on an output: most of it lit, every pixel on the ramp (or, on
# a monitor scaled by 1.5, whose compositor filters, of the ramp's hue).
smoke_on() {  # OUTPUT RRGGBB [hue]; keeps the counts in $seen
  local r; r=$(shot "$1" "$2") || return 1
  seen=$r
  set -- $r "${3:-}"
  [ "$8" -gt 25000 ] && { [ "$4" -eq 0 ] || { [ "$9" = hue ] && [ "$6" -eq 0 ]; }; }
}
# None of the ramp's colours (the desktop behind is grey).
no_smoke_on() { local r; r=$(shot "$1" "$2") || return 1; set -- $r; [ "$8" -lt 250 ]; }
logged() { grep -q "$1" "$work/stderr"; }
running() { kill -0 "$vapryx_pid" 2>/dev/null; }

cat > "$work/sway.config" <<'EOF'
xwayland disable
output HEADLESS-1 resolution 1920x1080 position 0 0
output HEADLESS-2 resolution 1280x720 position 1920 0 scale 1.5
default_border none
EOF
chmod 644 "$work/sway.config"
echo "wayland: headless sway"
start_compositor "$work" sway -c "$work/sway.config" || { echo "wayland: sway did not start"; cat "$work/compositor.log"; exit 1; }
SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -n1); export SWAYSOCK

# --fullscreen: green smoke on both monitors; a key ends it; a nudge of the pointer does
# not, a move does; a monitor added while it runs gets its own.
start_vapryx --fullscreen --color 00ff00 --verbose
wait_for 30 smoke_on HEADLESS-1 00ff00
check "--fullscreen: smoke on the green ramp on the 1920x1080 monitor ($seen)" $?
wait_for 30 smoke_on HEADLESS-2 00ff00 hue
check "  ... and of the green ramp's hue on the 1280x720 one at scale 1.5 ($seen)" $?
check "  ... each with its own seed" "$([ "$(grep -c 'seed' "$work/stderr")" -eq 2 ] && [ "$(sed -n 's/^vapryx: seed //p' "$work/stderr" | sort -u | wc -l)" -eq 2 ] && echo 0 || echo 1)"
swaymsg create_output > /dev/null
wait_for 30 smoke_on HEADLESS-3 00ff00
check "  ... and a monitor added while it runs gets smoke ($seen)" $?
"$build/vapryx_vpointer" 1,0 6,0 -4,5 2>> "$work/stderr"
sleep 1
running
check "  ... a nudge of the pointer (under 16 pixels) leaves it running" $?
"$build/vapryx_vpointer" 300,40 2>> "$work/stderr"
vapryx_exit 5
check "  ... a move of 300 pixels ends it with status 0 (got $exit_code)" "$([ "$exit_code" = 0 ] && echo 0 || echo 1)"

start_vapryx --fullscreen
wait_for 30 smoke_on HEADLESS-1 ffffff
wtype -s 400 x
vapryx_exit 2
check "--fullscreen: a key ends it with status 0 within 1 s of its delivery (got $exit_code)" "$([ "$exit_code" = 0 ] && echo 0 || echo 1)"

start_vapryx --fullscreen --delay 1000000 --verbose
wait_for 10 logged "showing"
"$build/vapryx_vpointer" click 2>> "$work/stderr"
vapryx_exit 5
check "--fullscreen: a click ends it with status 0 (got $exit_code)" "$([ "$exit_code" = 0 ] && echo 0 || echo 1)"

# --idle 2: the saver after two seconds without input, hidden by a key, and again.
start_vapryx --idle 2 --color 00ff00 --verbose
sleep 0.5
no_smoke_on HEADLESS-1 00ff00
check "--idle 2: nothing shown at first" $?
wait_for 15 smoke_on HEADLESS-1 00ff00
check "  ... smoke after two seconds without input ($(grep -o 'org_kde_kwin_idle\|ext-idle-notify-v1' "$work/stderr" | head -1))" $?
wtype -s 400 x
wait_for 10 no_smoke_on HEADLESS-1 00ff00
check "  ... hidden by a key, and still running" "$([ $? -eq 0 ] && running && echo 0 || echo 1)"
wait_for 15 smoke_on HEADLESS-1 00ff00
check "  ... shown again after two more seconds" $?
kill "$vapryx_pid"
vapryx_exit 2
check "  ... SIGTERM ends it within 1 s (status $exit_code)" "$([ "$exit_code" = 143 ] && echo 0 || echo 1)"

# --background: below a window (its own window mode, in red, which sway tiles over the whole
# monitor), untouched by a key, visible again when the window is gone.
start_vapryx --background --color 00ff00
wait_for 30 smoke_on HEADLESS-1 00ff00
check "--background: smoke on the green ramp" $?
swaymsg focus output HEADLESS-1 > /dev/null  # where the window opens
"$vapryx" --color ff0000 > /dev/null 2>&1 < /dev/null &
other_pid=$!
# The window's smoke, none of the background's (the window may draw decorations of its own).
window_above() {
  smoke_on HEADLESS-1 ff0000
  set -- $seen
  [ "${8:-0}" -gt 25000 ] && no_smoke_on HEADLESS-1 00ff00
}
wait_for 30 window_above
check "  ... a window stands above it ($seen)" $?
wtype -s 400 x
wait "$other_pid" 2> /dev/null; other_pid=
wait_for 30 smoke_on HEADLESS-1 00ff00
check "  ... a key goes to the window, which closes; the background draws on" "$([ $? -eq 0 ] && running && echo 0 || echo 1)"
stop_vapryx

# A compositor that goes away: one line, status 1.
start_vapryx --fullscreen
wait_for 30 smoke_on HEADLESS-1 ffffff
stop_compositor
vapryx_exit 5
check "a lost compositor ends it with status 1 and one line (got $exit_code: $(head -c 120 "$work/stderr"))" \
  "$([ "$exit_code" = 1 ] && [ "$(wc -l < "$work/stderr")" -eq 1 ] && echo 0 || echo 1)"

# Weston has no layer shell: fullscreen windows instead, one per monitor.
echo "wayland: headless weston"
start_compositor "$work" weston --backend=headless-backend.so --use-pixman --width=1280 --height=720 \
  --socket=wayland-5 --debug --idle-time=0 || { echo "wayland: weston did not start"; cat "$work/compositor.log"; exit 1; }
start_vapryx --fullscreen --color 00ff00 --verbose
weston_smoke() {  # [window]: the screen shows more than the smoke
  (cd "$work" && rm -f wayland-screenshot*.png && weston-screenshooter > /dev/null 2>&1) || return 1
  convert "$work"/wayland-screenshot*.png "$work/shot.ppm" 2> /dev/null || return 1
  local r; r=$("$py" "$top/tests/pixels.py" "$work/shot.ppm" "$work/00ff00.ramp"); set -- $r "${1:-}"
  [ "$8" -gt 25000 ] && { [ "$4" -eq 0 ] || [ "$9" = window ]; }
}
wait_for 20 weston_smoke
check "weston: --fullscreen falls back to fullscreen windows and draws green smoke" \
  "$([ $? -eq 0 ] && logged "fullscreen windows" && echo 0 || echo 1)"
stop_vapryx
check "  ... and SIGTERM ends it (status $exit_code)" "$([ "$exit_code" = 143 ] && echo 0 || echo 1)"
start_vapryx --color 00ff00 --verbose
wait_for 30 weston_smoke window
check "weston: its own window draws, decorated by libdecor where the compositor draws nothing" \
  "$([ $? -eq 0 ] && logged "decorations by libdecor" && echo 0 || echo 1)"
stop_vapryx
start_vapryx --background
vapryx_exit 5
check "weston: --background says in one line that it needs layer-shell, status 1" \
  "$([ "$exit_code" = 1 ] && [ "$(wc -l < "$work/stderr")" -eq 1 ] && logged "layer-shell" && echo 0 || echo 1)"
start_vapryx --idle 5
vapryx_exit 5
check "weston: --idle says in one line that the compositor cannot tell idleness, status 1" \
  "$([ "$exit_code" = 1 ] && [ "$(wc -l < "$work/stderr")" -eq 1 ] && echo 0 || echo 1)"

echo "wayland: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# End-to-end tests of vapryx on Wayland: headless sway (two monitors, one at scale 1.5, and
# swaybg's wallpaper) run as an unprivileged user, then headless Weston. Screenshots by grim
# and weston-screenshooter, keys by wtype, the pointer and the wheel by our own vpointer.
# Waits for conditions with bounded timeouts; every process it starts is ended by its id.
# Usage: tests/wayland/run.sh BUILD-DIR
set -u
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
vapryx=$build/vapryx
work=$(mktemp -d /tmp/vapryx-wayland.XXXXXX)
# shellcheck source=../e2e_lib.sh
. "$top/tests/e2e_lib.sh"
compositor_pid= other_pid= seen= box=
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

ramp 00ff00 && ramp ff0000 && ramp ffffff && ramp ffa500 || { echo "wayland: no vapryx-sim"; exit 1; }

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

# HEADLESS-2 stands beyond the widest HEADLESS-1, or grim would take both, at its scale.
cat > "$work/sway.config" <<'EOF'
xwayland disable
output HEADLESS-1 resolution 1920x1080 position 0 0
output HEADLESS-2 resolution 1280x720 position 2560 0 scale 1.5
output * bg #203040 solid_color
default_border none
EOF
chmod 644 "$work/sway.config"
echo "wayland: headless sway"
start_compositor "$work" sway -c "$work/sway.config" || { echo "wayland: sway did not start"; cat "$work/compositor.log"; exit 1; }
SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -n1); export SWAYSOCK

# Placement: the text where the scaling puts it on the first monitor at each size, against
# its box at 640x480, where the screen is the field. A scale and the rows cut off above.
# The outline flickers, so one picture may show a letter at its end unlit: the reference
# is the middle one of nine pictures' edges, each on its own.
start_vapryx --fullscreen --text Ultrawide --seed 5
reference= boxes=()
middle_box() {  # "W H X Y"...: each edge's middle value
  local edge edges=()
  for edge in '$1 + $3' '$2 + $4' '$3' '$4'; do  # right, bottom, left, top
    edges+=("$(printf '%s\n' "$@" | awk "{ print $edge }" | sort -n | sed -n "$((($# + 1) / 2))p")")
  done
  echo $((edges[0] - edges[2])) $((edges[1] - edges[3])) "${edges[2]}" "${edges[3]}"
}
mature_reference() {  # smoke over the whole field: its outline at its brightest
  set -- $seen
  [ "$2" -ge 76000 ] && bright_box "$work/shot.ppm" && boxes+=("$box") && [ ${#boxes[@]} -ge 9 ] &&
    reference=$(middle_box "${boxes[@]}")
}
for size in "640x480 1 0" "1280x720 2 -120" "1920x1080 3 -180" "2560x1080 4 -420"; do
  set -- $size
  swaymsg output HEADLESS-1 mode "$1" > /dev/null
  shot_placed() {
    grim -t ppm -o HEADLESS-1 "$work/shot.ppm" 2> /dev/null && [ "$(sed -n 2p "$work/shot.ppm")" = "${1/x/ }" ] &&
      smoke_on HEADLESS-1 ffffff && { [ -n "$reference" ] || mature_reference; } &&
      grim -t ppm -o HEADLESS-1 "$work/shot.ppm" 2> /dev/null && placed "$work/shot.ppm" "$2" "$3"
  }
  wait_for 30 shot_placed "$@"
  check "--fullscreen at $1: the text's box ($box) is the one at 640x480 ($reference) x $2, $3 rows up" $?
done
swaymsg output HEADLESS-1 mode 1920x1080 > /dev/null
"$build/vapryx_vpointer" scroll 2>> "$work/stderr"
vapryx_exit 5
check "  ... a turn of the wheel ends it with status 0 (got $exit_code)" "$(status_is 0)"

# --fullscreen: green smoke on both monitors; a key ends it; a nudge of the pointer does
# not, a move does; a monitor added while it runs gets its own, one switched off and on
# again gets it back.
start_vapryx --fullscreen --color 00ff00 --verbose
wait_for 30 smoke_on HEADLESS-1 00ff00
check "--fullscreen: smoke on the green ramp on the 1920x1080 monitor ($seen)" $?
wait_for 30 smoke_on HEADLESS-2 00ff00 hue
check "  ... and of the green ramp's hue on the 1280x720 one at scale 1.5 ($seen)" $?
check "  ... each with its own seed" "$([ "$(grep -c 'seed' "$work/stderr")" -eq 2 ] && [ "$(sed -n 's/^vapryx: seed //p' "$work/stderr" | sort -u | wc -l)" -eq 2 ] && echo 0 || echo 1)"
swaymsg create_output > /dev/null
wait_for 30 smoke_on HEADLESS-3 00ff00
check "  ... a monitor added while it runs gets smoke ($seen)" $?
swaymsg output HEADLESS-2 disable > /dev/null
two_active() { [ "$(swaymsg -t get_outputs | grep -c '"active": true')" -eq 2 ]; }
wait_for 10 two_active
swaymsg output HEADLESS-2 enable > /dev/null
wait_for 30 smoke_on HEADLESS-2 00ff00 hue
check "  ... a monitor switched off and on again gets it back ($seen)" "$([ $? -eq 0 ] && running && echo 0 || echo 1)"
"$build/vapryx_vpointer" 1,0 6,0 -4,5 2>> "$work/stderr"
sleep 1
running
check "  ... a nudge of the pointer (under 16 pixels) leaves it running" $?
"$build/vapryx_vpointer" 300,40 2>> "$work/stderr"
vapryx_exit 5
check "  ... a move of 300 pixels ends it with status 0 (got $exit_code)" "$(status_is 0)"

# The man page's example: an X11 colour name, resolved without an X server.
start_vapryx --fullscreen --text Vapryx --font monospace --color orange --volume 8
wait_for 30 smoke_on HEADLESS-1 ffa500
check "--fullscreen --color orange: smoke on the orange ramp ($seen)" $?
wtype -s 400 x
vapryx_exit 2
check "--fullscreen: a key ends it with status 0 within 1 s of its delivery (got $exit_code)" "$(status_is 0)"

# Ten frames a second asked for: each surface draws that many, each of its two pictures in
# turn (the protocol's log names the buffer of each frame).
WAYLAND_DEBUG=client start_vapryx --fullscreen --delay 100000 --verbose
wait_for 20 logged "frames in"
rate=$(sed -n 's/^vapryx: \([0-9]*\) frames in \([0-9.]*\) s on \([0-9]*\) surfaces$/\1 \2 \3/p' "$work/stderr" | head -n1)
check "--fullscreen --delay 100000: ten frames a second on each surface ($rate)" \
  "$(awk -v r="$rate" 'BEGIN { split(r, f, " "); x = f[1] / f[2] / f[3]; exit !(x >= 8 && x <= 11) }'; echo $?)"
attached=$(grep -o 'wl_surface@[0-9]*\.attach(wl_buffer@[0-9]*' "$work/stderr" | sort | uniq -c | awk '$1 >= 10' | wc -l)
check "  ... every surface shows both its pictures in turn ($attached pictures shown ten times or more)" \
  "$([ "$attached" -eq $((2 * ${rate##* })) ] && echo 0 || echo 1)"
"$build/vapryx_vpointer" click 2>> "$work/stderr"
vapryx_exit 5
check "--fullscreen: a click ends it with status 0 (got $exit_code)" "$(status_is 0)"

# Its own window (sway tiles it over the monitor): the pointer passing over it leaves it,
# a click on it ends it; the compositor closing it ends it.
swaymsg focus output HEADLESS-1 > /dev/null
start_vapryx --color ff0000
wait_for 30 smoke_on HEADLESS-1 ff0000
"$build/vapryx_vpointer" -4000,-4000 400,300 -300,200 2>> "$work/stderr"
sleep 1
running
check "a window: the pointer passing over it leaves it running" $?
"$build/vapryx_vpointer" click 2>> "$work/stderr"
vapryx_exit 5
check "  ... a click on it ends it with status 0 (got $exit_code)" "$(status_is 0)"
start_vapryx --color ff0000
wait_for 30 smoke_on HEADLESS-1 ff0000
swaymsg '[app_id="vapryx"] kill' > /dev/null
vapryx_exit 5
check "  ... closed by the compositor, it ends with status 0 (got $exit_code)" "$(status_is 0)"

# --idle 2: the saver after two seconds without input, hidden by the compositor's resume
# alone (a nudge is below the pointer rule) and by a key, shown again each time; one per
# session.
start_vapryx --idle 2 --color 00ff00 --verbose
sleep 0.5
no_smoke_on HEADLESS-1 00ff00
check "--idle 2: nothing shown at first" $?
wait_for 15 smoke_on HEADLESS-1 00ff00
shown=$?
check "  ... smoke after two seconds without input ($(grep -o 'org_kde_kwin_idle\|ext-idle-notify-v1' "$work/stderr" | head -1))" $shown
timeout 10 "$vapryx" --idle 2 > /dev/null 2> "$work/second" < /dev/null
second=$?
check "  ... a second --idle says so in one line and exits 0 ($(head -c 80 "$work/second"))" \
  "$([ $second -eq 0 ] && [ "$(wc -l < "$work/second")" -eq 1 ] && echo 0 || echo 1)"
swaymsg create_output > /dev/null
wait_for 30 smoke_on HEADLESS-4 00ff00
check "  ... a monitor added while it shows gets smoke" $?
"$build/vapryx_vpointer" 2,0 2>> "$work/stderr"
wait_for 10 no_smoke_on HEADLESS-1 00ff00
check "  ... hidden by a nudge of the pointer (the compositor's resume), still running" "$([ $? -eq 0 ] && running && echo 0 || echo 1)"
wait_for 15 smoke_on HEADLESS-1 00ff00
check "  ... shown again after two more seconds" $?
wtype -s 400 x
wait_for 10 no_smoke_on HEADLESS-1 00ff00
check "  ... hidden by a key, and still running" "$([ $? -eq 0 ] && running && echo 0 || echo 1)"
wait_for 15 smoke_on HEADLESS-1 00ff00
check "  ... shown again after two more seconds" $?
kill "$vapryx_pid"
vapryx_exit 2
check "  ... SIGTERM ends it within 1 s (status $exit_code)" "$(status_is 143)"

# --background: over swaybg's wallpaper and below a window (its own window mode, in red,
# which sway tiles over the whole monitor), untouched by a key, visible again when the
# window is gone; the pointer never enters it; a monitor added gets it; one per session.
WAYLAND_DEBUG=client start_vapryx --background --color 00ff00
wait_for 30 smoke_on HEADLESS-1 00ff00
check "--background: smoke on the green ramp, over swaybg's wallpaper" $?
timeout 10 "$vapryx" --background > /dev/null 2> "$work/second" < /dev/null
second=$?
check "  ... a second --background says so in one line and exits 0" \
  "$([ $second -eq 0 ] && [ "$(wc -l < "$work/second")" -eq 1 ] && echo 0 || echo 1)"
swaymsg create_output > /dev/null
wait_for 30 smoke_on HEADLESS-5 00ff00
check "  ... a monitor added while it runs gets it" $?
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
wait_for 10 eval '! kill -0 "$other_pid" 2> /dev/null'
closed=$?
kill "$other_pid" 2> /dev/null; wait "$other_pid" 2> /dev/null; other_pid=
wait_for 30 smoke_on HEADLESS-1 00ff00
check "  ... a key goes to the window, which closes; the background draws on" "$([ $? -eq 0 ] && [ $closed -eq 0 ] && running && echo 0 || echo 1)"
"$build/vapryx_vpointer" -4000,-4000 500,400 200,100 2>> "$work/stderr"
sleep 1  # for an enter that would come
check "  ... the pointer over it enters none of its surfaces" \
  "$(grep -q 'wl_pointer@[0-9]*\.enter' "$work/stderr" && echo 1 || echo 0)"
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
weston_smoke() {  # [window [RRGGBB]]: the screen shows more than the smoke
  (cd "$work" && rm -f wayland-screenshot*.png && weston-screenshooter > /dev/null 2>&1) || return 1
  convert "$work"/wayland-screenshot*.png "$work/shot.ppm" 2> /dev/null || return 1
  local r; r=$("$py" "$top/tests/pixels.py" "$work/shot.ppm" "$work/${2:-00ff00}.ramp"); set -- $r "${1:-}"
  [ "$8" -gt 25000 ] && { [ "$4" -eq 0 ] || [ "$9" = window ]; }
}
wait_for 20 weston_smoke
check "weston: --fullscreen falls back to fullscreen windows and draws green smoke" \
  "$([ $? -eq 0 ] && logged "fullscreen windows" && echo 0 || echo 1)"
stop_vapryx
check "  ... and SIGTERM ends it (status $exit_code)" "$(status_is 143)"
start_vapryx --fullscreen --text Ultrawide --seed 5
weston_placed() {
  weston_smoke window ffffff && placed "$work/shot.ppm" 2 -120
}
wait_for 30 weston_placed
check "weston: at 1280x720 the text's box ($box) is the one at 640x480 on sway x 2, 120 rows up" $?
stop_vapryx
start_vapryx --color 00ff00 --verbose
wait_for 30 weston_smoke window
check "weston: its own window draws, decorated by libdecor where the compositor draws nothing" \
  "$([ $? -eq 0 ] && logged "decorations by libdecor" && echo 0 || echo 1)"
stop_vapryx
# What it cannot do there: one line each, status 1.
for refused in "--background:layer-shell" "--idle 5:idle" "--fps:X11"; do
  start_vapryx ${refused%%:*}
  vapryx_exit 5
  check "weston: ${refused%%:*} says in one line that it cannot ($(head -c 100 "$work/stderr"))" \
    "$([ "$exit_code" = 1 ] && [ "$(wc -l < "$work/stderr")" -eq 1 ] && logged "${refused#*:}" && echo 0 || echo 1)"
done

echo "wayland: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# End-to-end tests of vapryx.scr under Wine on an Xvfb display: full screen in a Wine virtual
# desktop (so display modes really change), the error text on a plain display, input,
# single instance, preview and bad settings; then several monitors on a real Xorg with the
# dummy driver. Waits for conditions with bounded timeouts;
# every process it starts is ended by its id on the way out.
# Usage: tests/e2e/run.sh BUILD-DIR
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
export WINE_ROOT=$build/wine-e2e
source "$top/tools/wine-env.sh"
source "$top/tools/wine-display.sh"
saver=$build/vapryx.scr
probe=$build/vapryx_probe.exe
work=$build/e2e
rm -rf "$work" && mkdir -p "$work"

source "$top/tests/e2e_lib.sh"
key='HKCU\Control Panel\Screen Saver.Vapryx'
saver_pid= window_pid=

cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
  [ -n "$window_pid" ] && kill "$window_pid" 2>/dev/null
  saver_pid= window_pid=
  stop_wine_display
}
trap cleanup EXIT

start_display() {  # WxH desktop|plain
  cleanup
  start_wine_display "$1" "$2" "$work"
  wine "$probe" mode < /dev/null > /dev/null 2>&1  # the desktop is up before the tests start
}

settings_reset() { wine reg delete "$key" /f > /dev/null 2>&1; return 0; }
setting() { wine reg add "$key" /v "$1" /t "$2" /d "$3" /f > /dev/null 2>&1; }

start_saver() {  # args...
  wine "$saver" "$@" < /dev/null > /dev/null 2>&1 &
  saver_pid=$!
  wine "$probe" wait-window 30000 < /dev/null > /dev/null 2>&1
}

# Waits up to $1 seconds for the saver to end; sets exit_code to its exit code, or
# "running". (Not in a subshell: only this shell can collect its child's exit code.)
saver_exit() {
  exit_code=running
  for _ in $(seq $(($1 * 10))); do
    if ! kill -0 "$saver_pid" 2>/dev/null; then
      wait "$saver_pid"
      exit_code=$?
      saver_pid=
      return
    fi
    sleep 0.1
  done
}

still_running() {  # seconds: nothing should end it in that time
  sleep "$1"
  kill -0 "$saver_pid" 2>/dev/null
}

mode() { wine "$probe" mode < /dev/null 2>/dev/null | tr -d '\r'; }

# Presses a key until the saver ends (a key sent before its window is mapped is lost), for
# up to 15 seconds; sets exit_code.
end_with_key() {
  for _ in $(seq 15); do
    xdotool key space
    saver_exit 1
    [ "$exit_code" != running ] && break
  done
}

# Grabs the top-left WxH of the screen and prints "smoke-pixels mean-r mean-g mean-b max|g-b|".
picture() {  # WxH
  import -window root -crop "$1+0+0" +repage "$work/shot.png" 2>/dev/null
  convert-im6.q16 "$work/shot.png" -format \
    "%[fx:mean>0.01?1:0] %[fx:mean.r] %[fx:mean.g] %[fx:mean.b]" info: 2>/dev/null
  printf ' '
  convert-im6.q16 "$work/shot.png" -fx 'abs(g-b)' -format '%[fx:maxima]' info: 2>/dev/null
}

# Waits up to 20 seconds for smoke in the picture, and what else the awk condition on its
# measurement a[1..5] asks (a desktop still showing while the saver appears can pass for
# smoke at first); prints the last measurement, and fails if the condition never held.
wait_for_smoke() {  # WxH [condition]
  local p
  for _ in $(seq 40); do
    p=$(picture "$1")
    awk -v p="$p" "BEGIN { split(p, a, \" \"); exit !(a[1] == 1 && ${2:-1}) }" && echo "$p" && return
    sleep 0.5
  done
  echo "$p"
  return 1
}

echo "== full screen in a 1024 x 768 virtual desktop"
start_display 1024x768 desktop
settings_reset
start_saver /s
check "the display becomes 640 x 480" "$([ "$(mode)" = 640x480 ]; echo $?)"
p=$(wait_for_smoke 640x480 'a[5] == 0 && a[2] == a[3]')
check "smoke appears, grey for the default colour ($p)" "$?"
end_with_key
check "a key press ends it with exit code 0" "$([ "$exit_code" = 0 ]; echo $?)"
check "the desktop is 1024 x 768 again" "$([ "$(mode)" = 1024x768 ]; echo $?)"

setting Resolution REG_DWORD 1
start_saver /s
check "Resolution 1 gives 800 x 600" "$([ "$(mode)" = 800x600 ]; echo $?)"
end_with_key
check "... and a key ends it with 0" "$([ "$exit_code" = 0 ]; echo $?)"

settings_reset
setting Color REG_SZ "255 000 000"
start_saver /s
p=$(wait_for_smoke 640x480 'a[2] > a[3] && a[2] > a[4] && a[5] == 0')
check "Color 255 000 000 gives reddish smoke ($p)" "$?"
end_with_key
check "... and a key ends it with 0" "$([ "$exit_code" = 0 ]; echo $?)"

echo "== input"
settings_reset
start_saver /s
# Wine sends one WM_MOUSEMOVE when the window appears: with ten more it has had eleven.
wine "$probe" post-moves 10 < /dev/null > /dev/null 2>&1
check "eleven mouse moves leave it running" "$(still_running 2; echo $?)"
wine "$probe" post-click < /dev/null > /dev/null 2>&1
check "a click without movement leaves it running" "$(still_running 2; echo $?)"
wine "$probe" post-moves 1 < /dev/null > /dev/null 2>&1
saver_exit 15
check "the twelfth mouse move ends it with 0" "$([ "$exit_code" = 0 ]; echo $?)"

# Starts the probe's window (it lives for $1 ms) and sets window_pid and window_handle.
start_window() {
  wine "$probe" window "$1" < /dev/null > "$work/window.txt" 2> /dev/null &
  window_pid=$!
  for _ in $(seq 100); do [ -s "$work/window.txt" ] && break; sleep 0.1; done
  window_handle=$(tr -d '\r\n' < "$work/window.txt")
}
stop_window() { kill "$window_pid" 2> /dev/null; wait "$window_pid" 2> /dev/null; window_pid=; }

echo "== single instance"
# A real window for /p (with a handle that is no window the preview would end on its own),
# made first so that the saver has the focus for the key at the end.
start_window 60000
start_saver /s
for args in "/s" "/p $window_handle" "/c"; do
  timeout 20 wine "$saver" $args < /dev/null > /dev/null 2>&1
  check "a second start ($args) exits with 0 at once" "$?"
done
stop_window
check "the first one still runs" "$(kill -0 "$saver_pid" 2>/dev/null; echo $?)"
end_with_key
check "... until a key ends it with 0" "$([ "$exit_code" = 0 ]; echo $?)"

echo "== preview"
# (Its pixels are read in the Windows unit tests: Wine shows no other process's painting in
# a child window.)
wine "$probe" preview "$(winepath -w "$saver" 2>/dev/null)" 20000 < /dev/null > "$work/preview.txt" 2>&1
rc=$?
check "a visible child of 152 x 112 at (0, 0) that ends with 0 when its parent goes ($(tr -d '\r' < "$work/preview.txt" | paste -sd ';'))" "$rc"
# A host killed outright never destroys its windows: the preview must notice and end.
wine "$probe" orphan "$(winepath -w "$saver" 2>/dev/null)" 20000 < /dev/null > "$work/orphan.txt" 2>&1
orphan=$(tr -d '\r' < "$work/orphan.txt" | sed -n 's/^saver pid \([0-9]*\).*/\1/p')
wine "$probe" wait-exit "${orphan:-0}" 3000 < /dev/null > "$work/orphan-exit.txt" 2>&1
rc=$?
check "ends with 0 within 3 s of its host dying abruptly ($(cat "$work/orphan.txt" "$work/orphan-exit.txt" | tr -d '\r' | paste -sd ';'))" "$rc"
for args in "/p" "/p 0"; do
  timeout 20 wine "$saver" $args < /dev/null > /dev/null 2>&1
  check "'$args' exits with 0 at once" "$?"
done

echo "== bad settings"
settings_reset
setting Text REG_BINARY "$(printf '78%.0s' $(seq 100))"
setting Font REG_SZ "$(printf 'F%.0s' $(seq 300))"
setting Color REG_SZ abc
setting Volume REG_SZ 7
start_saver /s
p=$(wait_for_smoke 640x480)
check "runs on the fallbacks and draws ($p)" "$?"
end_with_key
check "... and a key ends it with 0" "$([ "$exit_code" = 0 ]; echo $?)"

echo "== settings dialog"
# Starts vapryx.scr with the given switches and waits for its dialog; what the dialog shows
# goes to $work/dialog.txt.
start_dialog() {
  wine "$saver" "$@" < /dev/null > /dev/null 2>&1 &
  saver_pid=$!
  wine "$probe" dialog 30000 < /dev/null 2> /dev/null | tr -d '\r' > "$work/dialog.txt"
}
shown() { sed -n "s/^$1 //p" "$work/dialog.txt"; }
stored() { wine "$probe" reg < /dev/null 2> /dev/null | tr -d '\r' | sed -n "s/^$1 //p"; }
dialog_do() { wine "$probe" dialog-do "$@" < /dev/null > /dev/null 2>&1; }
# The colour on screen at the swatch's centre, as "R,G,B".
swatch_colour() {
  import -window root "$work/dialog.png" 2>/dev/null
  convert-im6.q16 "$work/dialog.png" -format "%[fx:int(255*p{$(shown swatch-centre | tr ' ' ',')}.r)],%[fx:int(255*p{$(shown swatch-centre | tr ' ' ',')}.g)],%[fx:int(255*p{$(shown swatch-centre | tr ' ' ',')}.b)]" info: 2>/dev/null
}
# Hex of a string as the registry holds it: its characters, with or without a final zero.
hex_of() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
is_string() {  # name text
  local data
  data=$(stored "$1")
  case "$data" in
    "REG_SZ ${#2} $(hex_of "$2")" | "REG_SZ $((${#2} + 1)) $(hex_of "$2")00") return 0 ;;
  esac
  echo "    $1 is stored as: $data" >&2
  return 1
}

settings_reset
start_dialog /c
cat > "$work/controls.txt" <<'CONTROLS'
control Button -1 "Text"
control Static -1 "&Text"
control Edit 1000 "name"
control Static -1 "&Font"
control ComboBox 1007 ""
control Button -1 "&Resolution"
control msctls_trackbar32 1003 ""
control Static -1 "Low"
control Static -1 "High"
control Button -1 "Color"
control Static 1006 ""
control Button 1004 "Choose &Color..."
control Button -1 "&Smoke Volume"
control Static -1 "Low"
control Static -1 "High"
control msctls_trackbar32 1014 ""
control Button -1 "&Brightness"
control msctls_trackbar32 1005 ""
control Static -1 "Dark"
control Static -1 "Bright"
control Button 1 "OK"
control Button 2 "Cancel"
CONTROLS
check "the template: title and the 22 controls in order" \
  "$([ "$(shown title)" = "Vapryx Settings" ] && grep '^control ' "$work/dialog.txt" | cmp -s - "$work/controls.txt"; echo $?)"
check "defaults: name, Low, 5, 5, the font list enabled" \
  "$([ "$(shown text)" = name ] && [ "$(shown resolution)" = 0 ] && [ "$(shown brightness)" = 5 ] && [ "$(shown volume)" = 5 ] && [ "$(shown font-enabled)" = 1 ]; echo $?)"
shown font > "$work/fonts.txt"
check "the font list: $(wc -l < "$work/fonts.txt") families, each once, sorted" \
  "$([ -s "$work/fonts.txt" ] && LC_ALL=C sort -f -c -u "$work/fonts.txt" 2> /dev/null; echo $?)"
if grep -qx 'Arial Black' "$work/fonts.txt"; then
  check "Arial Black is selected" "$([ "$(shown font-selection)" != "-1 " ]; echo $?)"
else
  check "no Arial Black installed: no selection" "$([ "$(shown font-selection)" = "-1 " ]; echo $?)"
fi
check "a white swatch ($(swatch_colour))" "$([ "$(swatch_colour)" = 255,255,255 ]; echo $?)"
dialog_do escape
saver_exit 15
check "Esc closes it with exit code 0 and stores nothing" "$([ "$exit_code" = 0 ] && [ "$(stored Text)" = "" ]; echo $?)"

start_dialog /c
dialog_do text=changed close
saver_exit 15
check "the close box stores nothing" "$([ "$exit_code" = 0 ] && [ "$(stored Text)" = "" ]; echo $?)"
start_dialog /c
dialog_do text=changed press=2
saver_exit 15
check "Cancel stores nothing" "$([ "$exit_code" = 0 ] && [ "$(stored Text)" = "" ]; echo $?)"

second_font=$(sed -n 2p "$work/fonts.txt")
start_dialog /c
dialog_do text=abcdefghijklmnopq "font=$second_font" bar=1003:1 bar=1005:2 bar=1014:9 press=1004
wine "$probe" chooser 10 200 30 < /dev/null > /dev/null 2>&1
check "a colour from the chooser shows in the swatch ($(swatch_colour))" "$([ "$(swatch_colour)" = 10,200,30 ]; echo $?)"
dialog_do press=1
saver_exit 15
check "OK ends with 0" "$([ "$exit_code" = 0 ]; echo $?)"
check "OK stores typed text limited to 10 characters" "$(is_string Text abcdefghij; echo $?)"
check "... the font, the colour as RRR GGG BBB" "$(is_string Font "$second_font" && is_string Color "010 200 030"; echo $?)"
check "... and the three positions as 32-bit values" \
  "$([ "$(stored Resolution)" = "REG_DWORD 4 01000000" ] && [ "$(stored Brightness)" = "REG_DWORD 4 02000000" ] && [ "$(stored Volume)" = "REG_DWORD 4 09000000" ]; echo $?)"

start_dialog /c
dialog_do press=1004
wine "$probe" chooser cancel < /dev/null > /dev/null 2>&1
check "cancelling the chooser keeps the swatch ($(swatch_colour))" "$([ "$(swatch_colour)" = 10,200,30 ]; echo $?)"
dialog_do press=1004
wine "$probe" chooser 200 0 0 < /dev/null > /dev/null 2>&1
dialog_do press=2
saver_exit 15
check "Cancel after choosing a colour keeps the stored one" "$(is_string Color "010 200 030"; echo $?)"

settings_reset
setting Brightness REG_DWORD 0xFFFFFFFF
setting Resolution REG_DWORD 7
setting Text REG_SZ "fifteen chars!!"
prefix=$(head -n1 "$work/fonts.txt" | cut -c1-4)
setting Font REG_SZ "$prefix"
first_match=$(grep -i "^$prefix" "$work/fonts.txt" | head -n1)
start_dialog /c
check "stored values: Brightness all ones shows 10, Resolution 7 shows 1, 15 characters whole" \
  "$([ "$(shown brightness)" = 10 ] && [ "$(shown resolution)" = 1 ] && [ "$(shown text)" = "fifteen chars!!" ]; echo $?)"
check "a font prefix \"$prefix\" selects the first match, $first_match" "$([ "$(shown font-selection | cut -d' ' -f2-)" = "$first_match" ]; echo $?)"
dialog_do press=1
saver_exit 15
check "... and OK stores its full name and the values shown" \
  "$(is_string Font "$first_match" && [ "$(stored Brightness)" = "REG_DWORD 4 0a000000" ]; echo $?)"

echo "== dialog switches"
start_window 120000
owner=$window_handle
for args in "" "/c" "/a" "/C:$owner" "-c $owner"; do
  start_dialog $args
  expected=0
  [ -n "${args#/[ca]}" ] && expected=$owner
  check "'$args' opens the dialog, owned by ${expected}" "$([ "$(shown title)" = "Vapryx Settings" ] && [ "$(shown owner)" = "$expected" ]; echo $?)"
  if [ "$args" = /c ]; then
    timeout 20 wine "$saver" /s < /dev/null > /dev/null 2>&1
    second_rc=$?
    window_seen=0
    wine "$probe" wait-window 1000 < /dev/null > /dev/null 2>&1 && window_seen=1
    check "the saver cannot start while the dialog is open (exit code $second_rc, saver window seen $window_seen)" \
      "$([ "$second_rc" = 0 ] && [ "$window_seen" = 0 ]; echo $?)"
  fi
  dialog_do press=2
  saver_exit 15
done
stop_window

echo "== error text on a plain 800 x 600 display"
start_display 800x600 plain
settings_reset
start_saver /s
wine "$probe" error-text 20000 < /dev/null 2>/dev/null | tr -d '\r' > "$work/error.txt"
text=$(sed -n 1p "$work/error.txt")
check "no 640 x 480 mode: \"$text\"" "$([ "$text" = "Unable to set the display settings you choose" ]; echo $?)"
check "the text starts at (10, 10), 400 x 50" "$([ "$(sed -n 2p "$work/error.txt")" = "10 10 400 50" ]; echo $?)"
moved=
for _ in $(seq 30); do  # the first move comes after 5 seconds
  sleep 0.5
  position=$(wine "$probe" error-text 1000 < /dev/null 2>/dev/null | tr -d '\r' | sed -n 2p)
  [ "$position" != "10 10 400 50" ] && moved=$position && break
done
# The error path never seeds the generator: its first draws, 41 and 18467, give (41, 67).
check "after 5 seconds it moves to (41, 67) ($moved)" "$([ "$moved" = "41 67 400 50" ]; echo $?)"
end_with_key
check "a key ends it with 0" "$([ "$exit_code" = 0 ]; echo $?)"
check "the display is still 800 x 600" "$([ "$(mode)" = 800x600 ]; echo $?)"

echo "== several monitors (a real Xorg on the dummy driver)"
wine "$build/vapryx-sim.exe" --resolution 640x480 --volume 5 --seed 1 --frames 0 \
  --raster "$top/tests/data/name-640x480.pgm" --ramp "$work/white.ramp" < /dev/null > /dev/null 2>&1
# The active monitors as X has them, "NAME WxH+X+Y" a line, the primary first. (After the
# primary's mode change Wine hears of the other monitors only when the X server next
# announces its outputs, which a query such as this one makes it do.)
x_monitors() {
  xrandr --listactivemonitors |
    sed -n 's#^ *[0-9]*: +\*\{0,1\}\([A-Z0-9]*\) \([0-9]*\)/[0-9]*x\([0-9]*\)/[0-9]*\(+[0-9]*+[0-9]*\).*#\1 \2x\3\4#p'
}
# Wine knows as many monitors as X has, and each has exactly one visible topmost window of
# the saver's, of its very size: the saver window on the primary, a cover on each other.
all_covered() {
  wine "$probe" covers < /dev/null 2> /dev/null | tr -d '\r' | awk -v x="$(x_monitors | wc -l)" '
    /^monitor/ { want[$2 " " $3 " " $4 " " $5] = $6 == "primary" ? "SS_VAPRYX" : "SS_VAPRYX_COVER"; n++ }
    /^window/ { got[$3 " " $4 " " $5 " " $6] = $2 " " $7; k++ }
    END { if (n != x || k != n) exit 1; for (r in want) if (got[r] != want[r] " topmost") exit 1 }'
}
# "lit N offramp M offhue K onramp L bright BOX crc N" for each monitor of one screenshot,
# after its name and geometry.
monitor_pixels() {
  import -window root -depth 8 "$work/monitors.ppm" 2> /dev/null || return 1
  local name geometry
  x_monitors | while read -r name geometry; do
    echo "$name $geometry $(python3 "$top/tests/pixels.py" "$work/monitors.ppm" "$work/white.ramp" "$geometry")"
  done
}
# Every monitor lit on the ramp, no pixel of the desktop, and the text where the field
# fills the monitor's width, centred: the primary's bright box scaled by the width.
smoke_everywhere() {
  monitor_pixels > "$work/pixels.txt" && awk '
    { split($2, g, /[x+]/); w = g[1]; h = g[2]; lit = $4; offramp = $6; split($12, b, /[x+]/) }
    lit * 8 < w * h || offramp != 0 || $12 == "none" { bad = 1 }
    NR == 1 { pw = w; for (i in b) p[i] = b[i]; next }
    {
      s = w / pw; top = (h - 480 * s) / 2  # the primary shows the 640 x 480 field one to one
      want[1] = p[1] * s; want[2] = p[2] * s; want[3] = p[3] * s; want[4] = p[4] * s + top
      for (i = 1; i <= 4; i++) {
        d = b[i] - want[i]; if (d < 0) d = -d
        if (d > 0.03 * (i % 2 ? w : h) + 2) bad = 1
      }
    }
    END { exit bad || NR == 0 }' "$work/pixels.txt"
}
# Each monitor's picture changes within half a second: drawn every frame, not once.
moving_everywhere() {
  monitor_pixels > "$work/before.txt" && sleep 0.5 && monitor_pixels | paste "$work/before.txt" - |
    awk '{ if (NF != 28 || $14 == $28) bad = 1 } END { exit bad || NR == 0 }'
}
# Only the desktop on every monitor.
desktop_everywhere() {
  monitor_pixels | awk '{ if ($4 == 0 || $6 != $4) bad = 1 } END { exit bad || NR == 0 }'
}
# Moves the pointer over the first monitor after the primary, a step at a time.
pointer_over_second() {  # steps
  local geometry x y i
  geometry=$(x_monitors | sed -n '2s/^[^ ]* //p')
  IFS='x+' read -r _ _ x y <<< "$geometry"
  for i in $(seq "$1"); do xdotool mousemove $((x + 50 + 10 * i)) $((y + 100 + 5 * i)); sleep 0.05; done
}

# name | how it ends | DUMMY0 (the primary) | DUMMY1 | DUMMY2 (xrandr's words)
while IFS='|' read -r name ending outputs; do
  IFS='|' read -r -a outputs <<< "$outputs"
  echo "-- $name"
  cleanup
  start_wine_monitors "$work" "${outputs[@]}"
  xsetroot -solid '#ff00ff'  # a desktop of a colour the smoke never has
  before=$(x_monitors)
  settings_reset
  start_saver /s
  wait_for 30 all_covered && [ "$(mode)" = 640x480 ]
  rc=$?
  check "every monitor has its window, the primary its 640 x 480 mode ($(x_monitors | paste -sd ' '))" "$rc"
  wait_for 20 smoke_everywhere
  rc=$?
  check "smoke on every monitor, scaled and centred, no desktop ($(paste -sd ';' "$work/pixels.txt"))" "$rc"
  wait_for 10 moving_everywhere
  check "... moving on every monitor" "$?"
  if [ "$ending" = key ]; then
    pointer_over_second 1
    xdotool click 1  # the cover takes the focus: the key goes to it
    end_with_key
  else
    pointer_over_second 20
    saver_exit 15
  fi
  check "$ending over another monitor ends it with 0" "$([ "$exit_code" = 0 ]; echo $?)"
  check "every mode back, no window left" \
    "$([ "$(x_monitors)" = "$before" ] && wait_for 10 desktop_everywhere; echo $?)"
done <<'LAYOUTS'
two side by side|key|1024x768|1024x768 --right-of DUMMY0
three: one left of the primary, one 16:9|mouse moves|1024x768|800x600 --left-of DUMMY0|1280x720 --right-of DUMMY0
LAYOUTS

echo "-- a primary monitor without a 640 x 480 mode"
cleanup
start_wine_monitors "$work" --hsync 44-1000 1024x768 "1024x768 --right-of DUMMY0"
xsetroot -solid '#ff00ff'
start_saver /s
text=$(wine "$probe" error-text 20000 < /dev/null 2> /dev/null | tr -d '\r' | sed -n 1p)
# Black: lit nowhere and no pixel of the desktop.
black_cover() { monitor_pixels | awk 'NR == 2 { black = $4 == 0 && $6 == 0 } END { exit !(black && NR == 2) }'; }
wait_for 30 all_covered && wait_for 10 black_cover
rc=$?
check "\"$text\" on the primary, the other monitor covered black" \
  "$([ $rc -eq 0 ] && [ "$text" = "Unable to set the display settings you choose" ]; echo $?)"
pointer_over_second 1
end_with_key
check "... and a key over it ends it with 0" "$([ "$exit_code" = 0 ]; echo $?)"

echo "-- monitors unplugged and plugged in while it runs"
cleanup
start_wine_monitors "$work" 1024x768 "1024x768 --right-of DUMMY0"
xsetroot -solid '#ff00ff'
start_saver /s
wait_for 30 all_covered && xrandr --output DUMMY1 --off &&
  wait_for 45 all_covered  # a running program may take seconds to hear of it from Wine
check "an unplugged monitor loses its cover" "$?"
xrandr --addmode DUMMY2 1280x720 && xrandr --output DUMMY2 --mode 1280x720 --right-of DUMMY0
wait_for 45 all_covered && wait_for 20 smoke_everywhere
rc=$?
check "a monitor plugged in gets one with smoke ($(paste -sd ';' "$work/pixels.txt"))" "$rc"
end_with_key
check "... and a key ends it with 0" "$([ "$exit_code" = 0 ]; echo $?)"

cleanup
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

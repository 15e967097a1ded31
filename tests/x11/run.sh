#!/usr/bin/env bash
# End-to-end tests of the Linux program vapryx on a private Xvfb display: drawing into a
# given window in the colour asked for, following a resize, ending on SIGTERM and when its
# window is destroyed, --root with $XSCREENSAVER_WINDOW (hex and decimal) and without it,
# its own window closed by a click, bad options, an unknown font, the picture scaled by the
# server and by us read back against the mapping. Waits for conditions with
# bounded timeouts; every process it starts is ended by its id on the way out.
# Usage: tests/x11/run.sh BUILD-DIR
set -u
build=$(cd "$1" && pwd)
vapryx=$build/vapryx
helper=$build/vapryx_xhelper
work=$build/x11-e2e
rm -rf "$work" && mkdir -p "$work"
# shellcheck source=../e2e_lib.sh
. "$(dirname "$0")/../e2e_lib.sh"
xvfb_pid= window_pid= window=

cleanup() {
  for p in $vapryx_pid $window_pid $xvfb_pid; do kill "$p" 2>/dev/null; done
  for p in $vapryx_pid $window_pid $xvfb_pid; do wait "$p" 2>/dev/null; done
  vapryx_pid= window_pid= xvfb_pid=
}
trap cleanup EXIT

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 10 test -s "$work/display" || { echo "x11: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# A window of the helper's, kept until the helper is ended.
make_window() {  # WxH [argb]
  rm -f "$work/window"
  "$helper" window "$@" > "$work/window" < /dev/null &
  window_pid=$!
  wait_for 10 test -s "$work/window" && window=$(head -n1 "$work/window")
}
end_window() { kill "$window_pid" 2>/dev/null; wait "$window_pid" 2>/dev/null; window_pid=; }

# sample WINDOW [X Y W H]: sets lit, redEqualsBlue, greenLargest.
sample() {
  read -r _ _ _ lit _ redEqualsBlue _ greenLargest < <("$helper" sample "$@" 2>/dev/null) || lit=0
  : "${lit:=0}"
}
smoke_in() { sample "$@"; [ "$lit" -gt 2000 ]; }

stop_vapryx() {  # ends it with SIGTERM, as the daemon does
  kill -TERM "$vapryx_pid" 2>/dev/null
  vapryx_exit 1
  [ "$exit_code" = 143 ]
}

echo "x11: vapryx on $DISPLAY"

# Bad options: one line on stderr, exit 1, nothing drawn.
for args in "--bogus" "--volume 11" "--color 12345" "--window-id zz" "--resolution 1x1"; do
  "$vapryx" $args > /dev/null 2> "$work/bad" < /dev/null
  rc=$?
  check "'$args' exits 1 with one line" "$([ "$rc" -eq 1 ] && [ "$(grep -c . "$work/bad")" -eq 1 ] && echo 0 || echo 1)"
done
"$vapryx" --volume $'1\n2\r' > /dev/null 2> "$work/bad" < /dev/null
rc=$?
check "a value with a line break exits 1 with one line" \
  "$([ "$rc" -eq 1 ] && [ "$(wc -l < "$work/bad")" -eq 1 ] && grep -qF '1\x0a2\x0d' "$work/bad" && echo 0 || echo 1)"
XSCREENSAVER_WINDOW=junk "$vapryx" --root > /dev/null 2> "$work/bad" < /dev/null
check "a bad \$XSCREENSAVER_WINDOW exits 1" "$([ $? -eq 1 ] && grep -q XSCREENSAVER_WINDOW "$work/bad" && echo 0 || echo 1)"

# A given window, in the colour asked for; SIGTERM ends it at once.
make_window 640x480
start_vapryx --window-id "$window" --color 00ff00 --seed 7
wait_for 20 smoke_in "$window"
check "smoke appears in the given window" $?
sample "$window"
check "every lit pixel is of the green ramp (red = blue, green largest)" \
  "$([ "$lit" -gt 2000 ] && [ "$redEqualsBlue" -eq "$lit" ] && [ "$greenLargest" -eq "$lit" ] && echo 0 || echo 1)"
stop_vapryx
check "SIGTERM ends it within 1 s" $?

# An X11 colour name, as XScreenSaver's settings page lets a user type it.
make_window 320x240
start_vapryx --window-id "$window" --color orange --seed 7
wait_for 20 smoke_in "$window"
check "an X11 colour name (orange) draws" $?
stop_vapryx
end_window
"$vapryx" --root --color "no such colour" > /dev/null 2> "$work/bad" < /dev/null
rc=$?
check "a colour name the display does not know exits 1 with one line" \
  "$([ "$rc" -eq 1 ] && [ "$(grep -c . "$work/bad")" -eq 1 ] && echo 0 || echo 1)"

# --fps over a text of blanks (no smoke at all): the frame rate in the green ramp's colour;
# SIGINT ends it by the signal.
make_window 320x240
env --default-signal=INT "$vapryx" --window-id "$window" --text "   " --fps --color 00ff00 \
  --seed 7 > "$work/stdout" 2> "$work/stderr" < /dev/null &  # as a shell's foreground job
vapryx_pid=$!
fps_shown() { sample "$window" 0 0 120 30; [ "$lit" -gt 20 ]; }
wait_for 20 fps_shown
sample "$window" 0 0 120 30
check "--fps draws the frame rate in the ramp's colour ($lit pixels)" \
  "$([ "$lit" -gt 20 ] && [ "$redEqualsBlue" -eq "$lit" ] && [ "$greenLargest" -eq "$lit" ] && echo 0 || echo 1)"
kill -INT "$vapryx_pid" 2>/dev/null
vapryx_exit 1
check "SIGINT ends it by the signal (exit $exit_code)" "$([ "$exit_code" = 130 ] && echo 0 || echo 1)"
end_window

# A resize is followed: the new area shows smoke too.
end_window
make_window 640x480
start_vapryx --window-id "$window" --seed 8
wait_for 20 smoke_in "$window"
"$helper" resize "$window" 1200x700
wait_for 10 smoke_in "$window" 700 250 500 200
check "after a resize to 1200x700 the right part of the window shows smoke" $?

# Destroying its window ends it by itself, with status 0.
"$helper" destroy "$window"
vapryx_exit 2
check "destroying its window ends it within 2 s with status 0 (got $exit_code)" "$([ "$exit_code" = 0 ] && echo 0 || echo 1)"
end_window

# --root draws into $XSCREENSAVER_WINDOW, hex or decimal.
for form in hex decimal; do
  make_window 400x300
  id=$window; [ $form = decimal ] && id=$((window))
  XSCREENSAVER_WINDOW=$id start_vapryx --root --seed 9
  wait_for 20 smoke_in "$window"
  check "--root draws into \$XSCREENSAVER_WINDOW=$id ($form)" $?
  stop_vapryx
  end_window
done

# --root without it: the root window. --window-id wins over --root.
make_window 300x200
start_vapryx --root --window-id "$window" --seed 10
wait_for 20 smoke_in "$window"
check "--window-id wins over --root" $?
stop_vapryx
end_window
start_vapryx --root --font "No Such Face At All" --seed 11
wait_for 20 smoke_in root
check "--root without \$XSCREENSAVER_WINDOW draws on the root window, in an unknown font" $?
stop_vapryx

# Its own window: found by name, closed by a click.
start_vapryx --verbose --seed 12
wait_for 20 bash -c "xdotool search --name '^Vapryx$' > '$work/own'"
own=$(head -n1 "$work/own" 2>/dev/null)
wait_for 20 smoke_in "${own:-0}"
check "its own window 'Vapryx' shows smoke" $?
grep -q "font: .*\"Arial Black\" is not installed" "$work/stderr"
check "--verbose says which face stands in for Arial Black" $?
xdotool mousemove --window "${own:-0}" 100 100 click 1 2>/dev/null
vapryx_exit 5
check "a click closes its own window with status 0 (got $exit_code)" "$([ "$exit_code" = 0 ] && echo 0 || echo 1)"

# The close box: only a window manager's WM_PROTOCOLS message closes it, not any message
# that happens to carry WM_DELETE_WINDOW. Its X connection above FD_SETSIZE (1024) changes
# nothing.
if (ulimit -n 2048) 2> /dev/null; then
  ( ulimit -n 2048; for fd in $(seq 10 1100); do eval "exec $fd< /dev/null"; done
    exec "$vapryx" --seed 13 > /dev/null 2> "$work/stderr" < /dev/null ) &
  vapryx_pid=$!
  wait_for 20 bash -c "xdotool search --name '^Vapryx$' > '$work/own'"
  own=$(head -n1 "$work/own" 2>/dev/null)
  wait_for 20 smoke_in "${own:-0}"
  check "with its X connection at a descriptor above 1100, it draws" $?
  "$helper" close "${own:-0}" SOME_OTHER_TYPE
  vapryx_exit 1
  check "a ClientMessage of another type does not close it ($exit_code)" "$([ "$exit_code" = running ] && echo 0 || echo 1)"
  "$helper" close "${own:-0}" WM_PROTOCOLS
  vapryx_exit 5
  check "the window manager's close closes it with status 0 (got $exit_code)" "$([ "$exit_code" = 0 ] && echo 0 || echo 1)"
else
  echo "  skip the close box and descriptor checks: no 2048 descriptors to be had"
fi

# A private display of its own for what follows: start_display XVFB-ARGUMENTS...
start_display() {
  cleanup
  rm -f "$work/display"
  exec 3> "$work/display"
  Xvfb -displayfd 3 "$@" -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  wait_for 10 test -s "$work/display"
  export DISPLAY=":$(head -n1 "$work/display")"
}

# The picture of a --verbose vapryx in $window (WxH), stopped mid-run, read back against the
# frame of the seed it names that the helper opens itself, drawn through the mapping every
# scaling follows (FitFieldToWindow); sets result, and ends vapryx and the window. Only from
# a vapryx still running and showing smoke: the black window of one that is gone matches the
# helper's first frame. Smoke well above the text band, so that many rows and columns differ.
stopped() { [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" = T ]; }
read_back() {  # WxH compare-options...
  local top=(0 0 "${1%x*}" $((${1#*x} / 4))); shift
  result="no smoke from a running vapryx"
  if wait_for 30 smoke_in "$window" "${top[@]}" && kill -STOP "$vapryx_pid" 2> /dev/null &&
    wait_for 5 stopped "$vapryx_pid" && smoke_in "$window" "${top[@]}"; then
    result=$("$helper" compare "$window" --seed "$(sed -n 's/^vapryx: seed //p' "$work/stderr")" \
      "$@" 2>&1)
  fi
  kill -CONT "$vapryx_pid" 2> /dev/null
  stop_vapryx
  end_window
}
compare_picture() {  # description WxH plain|argb [VAR=value...]
  local what=$1 size=$2 kind=$3; shift 3
  make_window "$size" "$kind"
  env "$@" "$vapryx" --window-id "$window" --seed 21 --color 3080ff --verbose \
    > "$work/stdout" 2> "$work/stderr" < /dev/null &
  vapryx_pid=$!
  read_back "$size" --color 3080ff
  check "$what, $size: the mapping's picture, pixel for pixel, opaque ($result)" \
    "$(case "$result" in frame*" pixelsOff 0 "*" transparent 0") echo 0 ;; *) echo 1 ;; esac)"
}

# Scaled by the X server (RENDER) and by us, at 16:9, 4:3, a narrow window, and 1366x768,
# whose transform has another offset across than down.
for size in 1280x720 800x600 300x400 1366x768; do
  compare_picture "scaled by the X server" "$size" plain
  grep -q "the X server scales" "$work/stderr"
  check "  ... and it said the X server scales" $?
  compare_picture "VAPRYX_SCALE=client: scaled here" "$size" plain VAPRYX_SCALE=client
done

# Two started at the same moment, as XScreenSaver starts one per monitor: each its own
# seed, and the seed it names is the one it draws with.
start_vapryx --root --verbose
first_pid=$vapryx_pid
"$vapryx" --root --verbose > /dev/null 2> "$work/stderr2" < /dev/null &
second_pid=$!
wait_for 20 grep -q "seed" "$work/stderr" && wait_for 20 grep -q "seed" "$work/stderr2"
seed1=$(sed -n 's/^vapryx: seed //p' "$work/stderr") seed2=$(sed -n 's/^vapryx: seed //p' "$work/stderr2")
kill "$second_pid"; wait "$second_pid" 2>/dev/null
stop_vapryx
check "two started together draw with their own seeds ($seed1, $seed2)" \
  "$([ -n "$seed1" ] && [ -n "$seed2" ] && [ "$seed1" != "$seed2" ] && echo 0 || echo 1)"
make_window 400x300
start_vapryx --window-id "$window" --verbose
read_back 400x300
check "the seed it names draws its picture ($result)" \
  "$(case "$result" in frame*" pixelsOff 0 "*) echo 0 ;; *) echo 1 ;; esac)"
# Arabic, laid out right to left and joined (as the text tests check the layout itself).
arabic=(--text 'مرحبا' --font 'DejaVu Sans:bold')
make_window 640x480
start_vapryx --window-id "$window" --verbose "${arabic[@]}"
read_back 640x480 "${arabic[@]}"
check "Arabic text draws its picture ($result)" \
  "$(case "$result" in frame*" pixelsOff 0 "*) echo 0 ;; *) echo 1 ;; esac)"

# A text of blanks, or no font at all (fontconfig given none): a black screen, one line that
# says so, and drawing on until it is ended, as a saver must.
says_why() {  # description words-in-the-line VAR=value vapryx-options...
  local what=$1 words=$2 setting=$3; shift 3
  env "$setting" "$vapryx" --root "$@" > /dev/null 2> "$work/stderr" < /dev/null &
  vapryx_pid=$!
  wait_for 10 grep -q "$words" "$work/stderr"
  check "$what: one line that says so" \
    "$([ "$(wc -l < "$work/stderr")" -eq 1 ] && grep -q "$words" "$work/stderr" && echo 0 || echo 1)"
  stop_vapryx
  check "  ... and it draws on until it is ended (exit $exit_code)" "$([ "$exit_code" = 143 ] && echo 0 || echo 1)"
}
mkdir -p "$work/nofonts"
printf '<?xml version="1.0"?>\n<fontconfig><dir>%s/nofonts</dir></fontconfig>\n' "$work" > "$work/nofonts.conf"
says_why "a text of blanks" "has no outline" FONTCONFIG_FILE=/etc/fonts/fonts.conf --text "   "
says_why "no font at all" "no installed font" FONTCONFIG_FILE="$work/nofonts.conf"
# Bitmap faces only, as in a kiosk: none can be drawn at the text's size.
mkdir -p "$work/bitmaps"
printf 'STARTFONT 2.1\nFONT -vapryx-Bitmap-medium-r-normal--8-80-75-75-c-80-iso10646-1\nSIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 2\nFONT_ASCENT 8\nFONT_DESCENT 0\nENDPROPERTIES\nCHARS 1\nSTARTCHAR n\nENCODING 110\nSWIDTH 1000 0\nDWIDTH 8 0\nBBX 8 8 0 0\nBITMAP\nFF\n81\n81\n81\n81\n81\n81\n81\nENDCHAR\nENDFONT\n' > "$work/bitmaps/bitmap.bdf"
printf '<?xml version="1.0"?>\n<fontconfig><dir>%s/bitmaps</dir></fontconfig>\n' "$work" > "$work/bitmaps.conf"
says_why "bitmap faces only" "no installed font" FONTCONFIG_FILE="$work/bitmaps.conf"

# Every TrueColor depth, both ways of scaling, and displays without RENDER or MIT-SHM; an
# ARGB window with bars, which must be opaque black.
while read -r what kind size words xvfb; do
  # shellcheck disable=SC2086
  start_display $xvfb
  for scale in server client; do
    compare_picture "$what, $scale scaling" "$size" "$kind" "VAPRYX_SCALE=$scale"
    if [ "$words" != - ]; then
      grep -q "$words" "$work/stderr"
      check "  ... and it said '$words'" $?
    fi
  done
done <<'TABLE'
16-bit plain 640x400 - -screen 0 800x600x16
30-bit plain 640x400 - -screen 0 800x600x30
32-bit-ARGB argb 400x400 - -screen 0 800x600x24
no-RENDER plain 640x400 scaled.here -screen 0 800x600x24 -extension RENDER
no-MIT-SHM plain 640x400 in.the.X.protocol -screen 0 800x600x24 -extension MIT-SHM
TABLE

# Signals during start-up and resizes leave no shared memory segment behind.
# Segments made by the runs below (their creator's pid), whatever else runs on the machine.
victims=" "
segments() { ipcs -m -p | awk -v pids="$victims" '$3 ~ /^[0-9]+$/ && index(pids, " " $3 " ") {n++} END {print n + 0}'; }
start_display -screen 0 800x600x24
make_window 640x480
"$helper" wobble "$window" 64x48 2> /dev/null &
resizer=$!
signals=(TERM INT HUP USR1 USR2 ALRM VTALRM PROF PWR)
for i in $(seq 40); do
  # Frames without pause, each after a resize making a new image: much of the time is spent
  # making images when the signals come, a storm of each of the signals that end a process.
  # (a background job of a script starts with SIGINT ignored; the daemon's hacks do not)
  VAPRYX_SCALE=client env --default-signal "$vapryx" --window-id "$window" --delay 0 \
    > /dev/null 2>&1 < /dev/null &
  victim=$!
  victims="$victims$victim "
  sleep "0.$((i % 4 + 2))$((i % 7))"
  for _ in 1 2 3; do kill -"${signals[i % ${#signals[@]}]}" "$victim" 2>/dev/null; done
  wait "$victim" 2>/dev/null
done
kill "$resizer" 2>/dev/null; wait "$resizer" 2>/dev/null
end_window
# And at the worst moment, every time: each signal sent as shmget returns (strace injects it).
for sig in TERM INT HUP USR1 ALRM VTALRM PROF PWR; do
  timeout -s KILL 30 env --default-signal strace -f -qq -o "$work/strace" -e trace=shmget \
    -e inject=shmget:signal="$sig" "$vapryx" --root --delay 0 > /dev/null 2>&1 < /dev/null &
  wait $! 2> /dev/null  # (no line from the shell about the signal)
  rc=$?
  victims="$victims$(awk '{printf "%s ", $1}' "$work/strace" 2>/dev/null)"
  check "SIG$sig as shmget returns ends it by the signal (exit $rc)" \
    "$([ "$rc" -eq $((128 + $(kill -l "$sig"))) ] && echo 0 || echo 1)"
done
cleanup  # the display too: a segment that is left now, nothing holds
after=$(segments)
check "none of these runs left a segment ($after left)" \
  "$([ "$after" -eq 0 ] && echo 0 || echo 1)"

# A display without a TrueColor visual is refused with one line.
start_display -screen 0 640x480x8
"$vapryx" --root > /dev/null 2> "$work/bad" < /dev/null
rc=$?
check "an 8-bit PseudoColor display is refused: exit 1, one line naming TrueColor" \
  "$([ "$rc" -eq 1 ] && [ "$(grep -c . "$work/bad")" -eq 1 ] && grep -q TrueColor "$work/bad" && echo 0 || echo 1)"

echo "x11: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

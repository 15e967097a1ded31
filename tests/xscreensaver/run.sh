#!/usr/bin/env bash
# vapryx under the real XScreenSaver daemon on a private Xvfb, run as an unprivileged user
# (the daemon launches no hack as root): -activate starts "vapryx --root" in the daemon's
# window and smoke appears there in the colour of its command line; -deactivate ends it;
# the log reports no crash. Then the settings preview's command line (--root
# followed by --window-id) draws into the given window. Every process is ended by its id.
# Usage: tests/xscreensaver/run.sh BUILD-DIR
set -u
build=$(cd "$1" && pwd)
helper=$build/vapryx_xhelper
work=$(mktemp -d)
chmod 755 "$work"
passed=0 failed=0 xvfb_pid= daemon_pid= window_pid=
user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
[ "$(id -u)" -eq 0 ] || user=()

cleanup() {
  for p in $daemon_pid $window_pid; do kill "$p" 2>/dev/null; done
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  for p in $daemon_pid $window_pid $xvfb_pid; do wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

check() {
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "  ok   $1"; else failed=$((failed + 1)); echo "  FAIL $1"; fi
}
wait_for() {  # SECONDS COMMAND...: polls until it succeeds
  local limit=$(($1 * 10)); shift
  for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
  return 1
}

# The hack where the daemon's PATH finds it, readable by the user; a home the user owns.
mkdir -p "$work/bin" "$work/home"
cp "$build/vapryx" "$work/bin/vapryx" && chmod 755 "$work/bin/vapryx"
cat > "$work/home/.xscreensaver" <<'PREFS'
mode:		one
selected:	0
lock:		False
splash:		False
fade:		False
unfade:		False
timeout:	0:10:00
programs:	"Vapryx" vapryx --root --color 00ff00 --seed 7 \n\

PREFS
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$work/home"

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 10 test -s "$work/display" || { echo "xscreensaver: Xvfb did not start"; exit 1; }
display=":$(head -n1 "$work/display")"
as_user() { "${user[@]}" env HOME="$work/home" DISPLAY="$display" PATH="$work/bin:/usr/bin:/bin" "$@"; }

as_user xscreensaver -no-splash -verbose > "$work/daemon.log" 2>&1 < /dev/null &
daemon_pid=$!
wait_for 20 as_user xscreensaver-command -time > /dev/null 2>&1
check "the daemon answers" $?

# The daemon's log names the pid it forked; a zombie (a hack whose parent died unreaped,
# which a container's init may never collect) is not running.
hack_pid() { sed -n 's/.*forked "vapryx.*" in pid \([0-9]*\).*/\1/p' "$work/daemon.log" | head -n1; }
running() { local s; s=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1); [ -n "$s" ] && [ "$s" != Z ]; }
hack_started() { pid=$(hack_pid); [ -n "$pid" ] && running "$pid"; }
pid=
as_user xscreensaver-command -activate > /dev/null 2>&1
wait_for 20 hack_started
check "-activate starts vapryx ($(grep -o 'forked "vapryx.*' "$work/daemon.log" | head -n1))" \
  "$([ -n "$pid" ] && tr '\0' ' ' < "/proc/$pid/cmdline" | grep -q -- '^vapryx --root --color 00ff00' && echo 0 || echo 1)"
window=$(tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | sed -n 's/^XSCREENSAVER_WINDOW=//p')
check "it is given the daemon's window ($window)" "$([ -n "$window" ] && echo 0 || echo 1)"

# Smoke in the daemon's window, every lit pixel of the green ramp (red = blue, green largest).
sample() {
  read -r _ _ _ lit _ redEqualsBlue _ greenLargest < <(DISPLAY=$display "$helper" sample "$@" 2>/dev/null) || lit=0
  : "${lit:=0}"
}
smoke() { sample "$@"; [ "$lit" -gt 2000 ]; }
wait_for 20 smoke "$window"
check "smoke appears in the daemon's window ($lit pixels lit)" "$([ "$lit" -gt 2000 ] && echo 0 || echo 1)"
check "in the colour its command line asks for" \
  "$([ "$lit" -gt 0 ] && [ "$redEqualsBlue" -eq "$lit" ] && [ "$greenLargest" -eq "$lit" ] && echo 0 || echo 1)"
# The whole screen as a user sees it: black but for the green ramp (red = blue, green far above).
DISPLAY=$display import -window root "$work/screen.png" 2> /dev/null
means=$(convert "$work/screen.png" -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info: 2>/dev/null)
check "a screenshot of the screen shows green smoke (mean r g b: $means)" \
  "$(convert "$work/screen.png" -format '%[fx:mean.g > 0.002 && mean.g > 20*mean.r && abs(mean.r-mean.b) < 1e-6 ? 0 : 1]' info: 2>/dev/null || echo 1)"

as_user xscreensaver-command -deactivate > /dev/null 2>&1
stopped() { ! running "$pid"; }
# The daemon's xscreensaver-gfx may take seconds to pass the signal on (4 s once, in a fresh
# root); how fast vapryx itself ends on SIGTERM the X11 tests measure.
wait_for 15 stopped
check "-deactivate ends it" "$(stopped && echo 0 || echo 1)"
wait_for 5 grep -q 'SIGTERM: exiting' "$work/daemon.log"  # the daemon logs the hack's end as it reaps it
check "the daemon's log reports no crash" \
  "$(grep vapryx "$work/daemon.log" | grep -i -E 'crash|core dump|abnormal|unexpected|status [1-9]|SIG(SEGV|ABRT|BUS|FPE|ILL|KILL)' | grep -q . && echo 1 || echo 0)"

# The settings preview appends --window-id to the whole command line: the id wins.
rm -f "$work/window"
DISPLAY=$display "$helper" window 320x240 > "$work/window" < /dev/null &
window_pid=$!
wait_for 10 test -s "$work/window" && preview=$(head -n1 "$work/window")
as_user env XSCREENSAVER_WINDOW="$window" /bin/sh -c "exec vapryx --root --color 00ff00 --window-id $preview" \
  > /dev/null 2>&1 < /dev/null &
preview_pid=$!
wait_for 20 smoke "$preview"
check "the preview's command line draws into the given window ($lit pixels lit)" "$([ "$lit" -gt 2000 ] && echo 0 || echo 1)"
kill "$preview_pid" 2>/dev/null; wait "$preview_pid" 2>/dev/null

if [ "$failed" -ne 0 ]; then echo "--- daemon log"; cat "$work/daemon.log"; fi
echo "xscreensaver: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

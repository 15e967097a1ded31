#!/usr/bin/env bash
# Runs vapryx in a window of its own. With WAYLAND_DISPLAY or DISPLAY set, on that display
# (Wayland first) until you close the window (a key, a click or its close box). Without one, on a private 1280 x 720 Xvfb:
# about five seconds of smoke, a screenshot (its path is printed), then a click ends it.
# Usage: tools/run-linux.sh BUILD-DIR [vapryx options...]
set -u
build=$(cd "$1" && pwd); shift
vapryx=$build/vapryx

if [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${DISPLAY:-}" ]; then
  "$vapryx" "$@"
  echo "vapryx exit code: $?"
  exit 0
fi

work=$build/run
mkdir -p "$work"
xvfb_pid= vapryx_pid=
trap 'for p in $vapryx_pid $xvfb_pid; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done' EXIT
rm -f "$work/display"
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY

"$vapryx" "$@" < /dev/null &
vapryx_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vapryx$' 2> /dev/null | head -n1)
if [ -z "$window" ]; then
  echo "run: the Vapryx window did not appear" >&2
  exit 1
fi
sleep 5  # let the smoke build up
shot=$build/vapryx-screenshot.png
import -window "$window" "$shot"
echo "screenshot: $shot"

xdotool mousemove --window "$window" 100 100 click 1
for _ in $(seq 50); do kill -0 "$vapryx_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$vapryx_pid" 2>/dev/null; then
  echo "run: vapryx did not end on a click" >&2
  exit 1
fi
wait "$vapryx_pid"
code=$?
vapryx_pid=
echo "vapryx exit code: $code"

#!/usr/bin/env bash
# Runs vapryx.scr full screen under Wine. With DISPLAY set, on that display until you press
# a key. Without one, on a private Xvfb with a 1024 x 768 Wine virtual desktop: about five
# seconds of smoke, a screenshot (its path is printed), then a key press ends it.
# Usage: tools/run-saver.sh BUILD-DIR
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
scr=$build/vapryx.scr
export WINE_ROOT=$build/wine-run
source "$top/tools/wine-env.sh"

if [ -n "${DISPLAY:-}" ]; then
  wine "$scr" /s
  echo "vapryx.scr exit code: $?"
  exit 0
fi

source "$top/tools/wine-display.sh"
work=$build/run
mkdir -p "$work"
saver_pid=
trap '[ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null; stop_wine_display' EXIT
start_wine_display 1024x768 desktop "$work"

wine "$scr" /s < /dev/null > /dev/null 2>&1 &
saver_pid=$!
if ! timeout 60 xdotool search --sync --onlyvisible --name '^SS_VAPRYX$' > /dev/null; then
  echo "run-saver: the saver window did not appear" >&2
  exit 1
fi
sleep 5  # let the smoke build up

# The Wine desktop has taken the saver's display mode: photograph that much of the screen.
size=$(xdotool search --name 'Wine desktop' getwindowgeometry 2>/dev/null | sed -n 's/.*Geometry: //p' | head -n1)
shot=$build/vapryx-screenshot.png
import -window root -crop "${size:-1024x768}+0+0" +repage "$shot"
echo "screenshot: $shot"

for _ in $(seq 15); do
  xdotool key space
  for _ in $(seq 10); do kill -0 "$saver_pid" 2>/dev/null || break 2; sleep 0.1; done
done
if kill -0 "$saver_pid" 2>/dev/null; then
  echo "run-saver: the saver did not end on a key press" >&2
  exit 1
fi
wait "$saver_pid"
code=$?
saver_pid=
echo "vapryx.scr exit code: $code"

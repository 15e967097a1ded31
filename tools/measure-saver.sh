#!/usr/bin/env bash
# What vapryx.scr /s costs under Wine with one, two and three 1024 x 768 monitors side by
# side, on a real Xorg with the dummy driver: each layout alone, 10 s after a 3 s start; it
# prints the saver's, the X server's and the wineserver's CPU time as shares of one core, and
# each layout's total beside the one-monitor total. It leaves a screenshot of the two-monitor
# run in BUILD-DIR/saver-two-monitors.png. Not part of `make test`: a measurement, not a test
# (the machine is shared and noisy).
# Usage: tools/measure-saver.sh [BUILD-DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build/windows}" && pwd)
export WINE_ROOT=$build/wine-measure
source "$top/tools/wine-env.sh"
source "$top/tools/wine-display.sh"
work=$(mktemp -d)
saver_pid=
stop() {
  if [ -n "$saver_pid" ]; then kill "$saver_pid" 2> /dev/null; wait "$saver_pid" 2> /dev/null || true; fi
  saver_pid=
  stop_wine_display
}
trap 'stop; rm -rf "$work"' EXIT

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# The wineserver of this prefix: it works in a folder named after the prefix's device and inode.
wineserver_pid() {
  local dir p
  dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for p in $(pgrep wineserver); do
    case "$(readlink "/proc/$p/cwd")" in */"$dir") echo "$p"; return ;; esac
  done
}

# measure LABEL XRANDR-ARGS...: prints the shares; the total goes to $work/LABEL.
measure() {
  local label=$1; shift
  start_wine_monitors "$work" "$@"
  wine "$build/vapryx.scr" /s < /dev/null > /dev/null 2>&1 &
  saver_pid=$!
  # Every monitor covered first. Wine hears of the monitors beside the primary after its mode
  # change only when the X server announces its outputs again, as any xrandr query makes it.
  local covers=0
  for _ in $(seq 60); do
    xrandr --listactivemonitors > /dev/null
    covers=$(wine "$build/vapryx_probe.exe" covers < /dev/null 2> /dev/null | grep -c COVER || true)
    [ "$covers" -ge $(($# - 1)) ] && break
    sleep 0.5
  done
  [ "$covers" -ge $(($# - 1)) ] || { echo "measure-saver: not every monitor was covered" >&2; exit 1; }
  sleep 3
  local server s0 x0 w0 t0 s1 x1 w1 t1
  server=$(wineserver_pid)
  # One assignment a line, so that a process gone stops the measurement.
  s0=$(ticks "$saver_pid"); x0=$(ticks "$wine_display_pid"); w0=$(ticks "$server")
  t0=$(date +%s.%N)
  sleep 10
  s1=$(ticks "$saver_pid"); x1=$(ticks "$wine_display_pid"); w1=$(ticks "$server")
  t1=$(date +%s.%N)
  if [ "$label" = two ]; then import -window root "$build/saver-two-monitors.png"; fi
  stop
  awk -v label="$label" -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v w=$((w1 - w0)) -v t0="$t0" \
      -v t1="$t1" -v hz="$(getconf CLK_TCK)" -v one="$work/one" 'BEGIN {
    t = t1 - t0; total = 100 * (s + x + w) / hz / t
    printf "%-6s saver %5.1f %%  X server %5.1f %%  wineserver %5.1f %%  together %5.1f %%", label,
           100 * s / hz / t, 100 * x / hz / t, 100 * w / hz / t, total
    if (label == "one") print total > one; else { getline base < one; printf "  (%.2f x one)", total / base }
    printf "\n"
  }'
}

echo "vapryx.scr /s under Wine, 640 x 480 field, monitors of 1024 x 768; shares of one core over 10 s:"
measure one 1024x768
measure two 1024x768 "1024x768 --right-of DUMMY0"
measure three 1024x768 "1024x768 --right-of DUMMY0" "1024x768 --right-of DUMMY1"
echo "screenshot: $build/saver-two-monitors.png"

#!/usr/bin/env bash
# What vapryx --root costs, side by side in one run: at 1920 x 1080 and at 3840 x 2160, with
# the picture scaled by the X server (RENDER) and by the program (VAPRYX_SCALE=client), and
# XScreenSaver's ripples --root at 1920 x 1080 for comparison. Each runs alone on a private
# Xvfb for 10 s after a 1 s start; it prints the program's and the X server's CPU time as
# shares of one core, and vapryx's frames per second. Then vapryx --fullscreen on headless
# sway with one and two 1920 x 1080 monitors, the compositor's share beside it. Not part of `make test`: a measurement,
# not a test (the machine is shared and noisy).
# Usage: tools/measure-cpu.sh [BUILD-DIR] [extra vapryx options...]
set -euo pipefail
build=$(cd "${1:-build/native}" && pwd); shift || true
ripples=/usr/libexec/xscreensaver/ripples
work=$(mktemp -d)
xvfb_pid= program_pid=
stop() {
  for p in $program_pid $xvfb_pid; do kill "$p" 2>/dev/null || true; done
  for p in $program_pid $xvfb_pid; do wait "$p" 2>/dev/null || true; done
  program_pid= xvfb_pid=
}
trap 'stop; rm -rf "$work"' EXIT

# Clock ticks of user and system time of a process.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# measure LABEL SCREEN [VAR=value...] -- COMMAND...
measure() {
  local label=$1 screen=$2; shift 2
  local vars=(); while [ "$1" != -- ]; do vars+=("$1"); shift; done; shift
  rm -f "$work/display"
  exec 3> "$work/display"
  Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset > /dev/null 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  env "${vars[@]}" DISPLAY=":$(head -n1 "$work/display")" "$@" 2> "$work/log" &
  program_pid=$!
  sleep 1
  local p0 x0 t0 p1 x1 t1 reports
  p0=$(ticks "$program_pid") x0=$(ticks "$xvfb_pid") t0=$(date +%s.%N)
  reports=$(grep -c . "$work/log" || true)
  sleep 10
  p1=$(ticks "$program_pid") x1=$(ticks "$xvfb_pid") t1=$(date +%s.%N)
  # vapryx --verbose reports its frames every 5 s; the reports of the measured 10 s count.
  local fps
  fps=$(tail -n +$((reports + 1)) "$work/log" | awk '/frames in/ {f += $2; s += $5} END {if (s > 0) printf "%.1f", f / s; else print "-"}')
  stop
  awk -v label="$label" -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v t0="$t0" -v t1="$t1" \
      -v hz="$(getconf CLK_TCK)" -v fps="$fps" 'BEGIN {
    t = t1 - t0
    printf "%-34s program %5.1f %%  X server %5.1f %%  together %5.1f %%  frames/s %s\n", label,
           100 * p / hz / t, 100 * x / hz / t, 100 * (p + x) / hz / t, fps
  }'
}

echo "shares of one core over 10 s${*:+ (vapryx options: $*)}:"
for screen in 1920x1080 3840x2160; do
  measure "vapryx --root $screen, server scales" "$screen" -- "$build/vapryx" --root --verbose "$@"
  measure "vapryx --root $screen, client scales" "$screen" VAPRYX_SCALE=client -- \
    "$build/vapryx" --root --verbose "$@"
done

# On Wayland: headless sway (software rendering) with one and with two 1920x1080 monitors,
# vapryx --fullscreen on each; the compositor's share beside it, and the compositor idle.
. "$(dirname "$0")/wayland-session.sh"
measure_wayland() {  # LABEL OUTPUTS [vapryx options...]
  local label=$1 outputs=$2; shift 2
  local dir; dir=$(mktemp -d /tmp/vapryx-measure.XXXXXX)
  printf 'xwayland disable\noutput * resolution 1920x1080\n' > "$dir/config"
  chmod 644 "$dir/config"
  HEADLESS_OUTPUTS=$outputs start_compositor "$dir" sway -c "$dir/config" || { echo "sway did not start"; return; }
  program_pid=
  if [ $# -gt 0 ]; then "$build/vapryx" "$@" 2> "$work/log" & program_pid=$!; else : > "$work/log"; fi
  sleep 1
  local p0=0 p1=0 c0 c1 t0 t1 reports fps=-
  if [ -n "$program_pid" ]; then p0=$(ticks "$program_pid"); fi
  c0=$(ticks "$compositor_pid") t0=$(date +%s.%N) reports=$(grep -c . "$work/log" || true)
  sleep 10
  if [ -n "$program_pid" ]; then p1=$(ticks "$program_pid"); fi
  c1=$(ticks "$compositor_pid") t1=$(date +%s.%N)
  fps=$(tail -n +$((reports + 1)) "$work/log" | awk '/frames in/ {f += $2; s += $5} END {if (s > 0) printf "%.1f", f / s; else print "-"}')
  if [ -n "$program_pid" ]; then kill "$program_pid"; wait "$program_pid" 2> /dev/null || true; program_pid=; fi
  stop_compositor
  rm -rf "$dir"
  awk -v label="$label" -v p=$((p1 - p0)) -v x=$((c1 - c0)) -v t0="$t0" -v t1="$t1" \
      -v hz="$(getconf CLK_TCK)" -v fps="$fps" -v n="$outputs" 'BEGIN {
    t = t1 - t0
    printf "%-34s program %5.1f %% (%4.1f %% a monitor)  sway %5.1f %%  frames/s %s\n", label,
           100 * p / hz / t, 100 * p / hz / t / n, 100 * x / hz / t, fps
  }'
}
if command -v sway > /dev/null; then
  measure_wayland "sway idle, 1 monitor" 1
  measure_wayland "vapryx --fullscreen, 1 monitor" 1 --fullscreen --verbose "$@"
  measure_wayland "vapryx --fullscreen, 2 monitors" 2 --fullscreen --verbose "$@"
else
  echo "sway: not installed (tools/install-deps.sh native)"
fi

if [ -x "$ripples" ]; then
  measure "ripples --root 1920x1080" 1920x1080 -- "$ripples" --root
else
  echo "ripples: not installed (apt-get install xscreensaver-data)"
fi

#!/usr/bin/env bash
# What vapryx --root costs on a 1920 x 1080 display: runs it on a private Xvfb for 10 s
# (after a 1 s start) and prints the program's and the X server's CPU time as shares of
# one core, and the frames drawn per second. Not part of `make test`.
# Usage: tools/measure-cpu.sh [BUILD-DIR] [extra vapryx options...]
set -euo pipefail
build=$(cd "${1:-build/native}" && pwd); shift || true
work=$(mktemp -d)
xvfb_pid= vapryx_pid=
cleanup() {
  for p in $vapryx_pid $xvfb_pid; do kill "$p" 2>/dev/null || true; done
  for p in $vapryx_pid $xvfb_pid; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset > /dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

# Clock ticks of user and system time of a process.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

"$build/vapryx" --root --verbose "$@" 2> "$work/log" &
vapryx_pid=$!
sleep 1
v0=$(ticks $vapryx_pid) x0=$(ticks $xvfb_pid) t0=$(date +%s.%N)
frames0=$(grep -c . "$work/log" || true)
sleep 10
v1=$(ticks $vapryx_pid) x1=$(ticks $xvfb_pid) t1=$(date +%s.%N)
hz=$(getconf CLK_TCK)
# The program reports its frames every 5 s; the reports of the measured 10 s are used.
fps=$(tail -n +$((frames0 + 1)) "$work/log" | awk '/frames in/ {f += $2; s += $5} END {if (s > 0) printf "%.1f", f / s; else print "?"}')
awk -v v=$((v1 - v0)) -v x=$((x1 - x0)) -v t0="$t0" -v t1="$t1" -v hz="$hz" -v fps="$fps" 'BEGIN {
  t = t1 - t0
  printf "vapryx --root on 1920x1080 for %.1f s: program %.1f %% of one core, X server %.1f %% of one core, %s frames per second\n", t, 100 * v / hz / t, 100 * x / hz / t, fps
}'

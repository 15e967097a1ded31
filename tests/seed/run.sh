#!/usr/bin/env bash
# Two vapryx started at the same moment, as XScreenSaver starts one per monitor, where
# getrandom fails: the preloaded SHIM refuses it and holds the wall clock still, so only
# the pids are left to tell them apart. Their seeds (--verbose says them) must differ.
# Usage: tests/seed/run.sh VAPRYX SHIM
set -u
vapryx=$1 shim=$2
work=$(mktemp -d)
# shellcheck source=../e2e_lib.sh
. "$(dirname "$0")/../e2e_lib.sh"
xvfb_pid= pids=
cleanup() {
  for p in $pids $xvfb_pid; do kill "$p" 2>/dev/null; done
  for p in $pids $xvfb_pid; do wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
# The sanitizer build's runtime would otherwise refuse a library loaded before it.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"

exec 3> "$work/display"
Xvfb -displayfd 3 -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 10 test -s "$work/display" || { echo "seed: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

for run in a b; do
  LD_PRELOAD=$shim "$vapryx" --x11 --verbose --delay 1000000 > /dev/null 2> "$work/$run" < /dev/null &
  pids="$pids $!"
done
seeded() { grep -q '^vapryx: seed ' "$work/a" && grep -q '^vapryx: seed ' "$work/b"; }
wait_for 30 seeded
refused=$(cat "$work/a" "$work/b" | grep -c '^no_getrandom: getrandom refused')
check "getrandom refused in both ($refused)" "$([ "$refused" -eq 2 ] && echo 0 || echo 1)"
a=$(sed -n 's/^vapryx: seed //p' "$work/a") b=$(sed -n 's/^vapryx: seed //p' "$work/b")
check "both said a seed, and not the same one ('$a', '$b')" \
  "$([ -n "$a" ] && [ -n "$b" ] && [ "$a" != "$b" ] && echo 0 || echo 1)"

echo "seed: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

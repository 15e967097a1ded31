#!/usr/bin/env bash
# End-to-end tests of vapryx on headless mutter, GNOME's compositor, with two monitors: no
# layer shell and no idle protocol, so --idle hears of idleness from mutter's IdleMonitor on
# a private session bus and shows a fullscreen window per monitor. Input comes through
# mutter's RemoteDesktop interface (mutter_input.py). Mutter takes no screenshots here, so
# what vapryx shows is read from the protocol's log: each monitor's window at its size, and
# frames attached to each. Every process it starts is ended by its id.
# Usage: tests/wayland/mutter.sh BUILD-DIR
set -u
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
vapryx=$build/vapryx
work=$(mktemp -d /tmp/vapryx-mutter.XXXXXX)
# shellcheck source=../e2e_lib.sh
. "$top/tests/e2e_lib.sh"
bus_pid= compositor_pid=
cleanup() {
  for p in $vapryx_pid $compositor_pid $bus_pid; do kill "$p" 2>/dev/null; done
  for p in $vapryx_pid $compositor_pid; do wait "$p" 2>/dev/null; done
}
trap 'cleanup; [ "$failed" -eq 0 ] && rm -rf "$work"' EXIT

mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run WAYLAND_DISPLAY=vapryx-mutter
session_bus_config "$work/bus.conf"
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r bus_pid; } < <(dbus-daemon --config-file="$work/bus.conf" \
  --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS
mutter --headless --wayland --no-x11 --virtual-monitor 1280x720 --virtual-monitor 1024x768 \
  --wayland-display "$WAYLAND_DISPLAY" > "$work/mutter.log" 2>&1 < /dev/null &
compositor_pid=$!
echo "mutter: headless, two monitors"
wait_for 30 test -S "$work/run/$WAYLAND_DISPLAY" || { echo "mutter: did not start"; cat "$work/mutter.log"; exit 1; }

inject() { /usr/bin/python3 "$top/tests/wayland/mutter_input.py" "$@" 2>> "$work/inject.log"; }
count() { grep -c "^vapryx: $1\$" "$work/stderr"; }
counted() { [ "$(count "$1")" -eq "$2" ]; }  # WORD N: said N times
# A fullscreen window at each monitor's size, each showing ten frames or more.
on_both() {
  grep -q 'xdg_toplevel@[0-9]*\.configure(1280, 720,' "$work/stderr" &&
    grep -q 'xdg_toplevel@[0-9]*\.configure(1024, 768,' "$work/stderr" &&
    [ "$(grep -o 'wl_surface@[0-9]*\.attach(wl_buffer' "$work/stderr" | sort | uniq -c | awk '$1 >= 10' | wc -l)" -ge 2 ]
}

WAYLAND_DEBUG=client start_vapryx --idle 2 --verbose
wait_for 10 grep -q "waiting for 2 s" "$work/stderr"
check "--idle 2 listens to mutter's IdleMonitor ($(grep -o 'waiting.*' "$work/stderr"))" \
  "$(grep -q "org.gnome.Mutter.IdleMonitor" "$work/stderr" && echo 0 || echo 1)"
sleep 0.5
check "  ... nothing shown at first" "$(count showing)"
wait_for 15 on_both
check "  ... after two seconds idle, a fullscreen window on each monitor, drawing" $?
# Input hides it: a nudge of the pointer (under our 16 pixels) through mutter's word alone,
# a key on its window; two more seconds show it again.
shown=1
for input in "motion 2 1" "key 0x78"; do
  inject $input
  wait_for 10 counted hidden "$shown"
  check "  ... hidden by injected input ($input), still running" "$([ $? -eq 0 ] && running && echo 0 || echo 1)"
  shown=$((shown + 1))
  wait_for 15 counted showing "$shown"
  check "  ... shown again after two seconds" $?
done
kill "$vapryx_pid"
vapryx_exit 2
check "  ... SIGTERM ends it (status $exit_code)" "$([ "$exit_code" = 143 ] && echo 0 || echo 1)"

# --fullscreen: fullscreen windows, ended by a move of the pointer or a key.
for input in "motion 300 40" "key 0x78"; do
  WAYLAND_DEBUG=client start_vapryx --fullscreen --verbose
  wait_for 15 on_both
  check "--fullscreen: a fullscreen window on each monitor, drawing" $?
  inject $input
  vapryx_exit 5
  check "  ... injected input ($input) ends it with status 0 (got $exit_code)" "$([ "$exit_code" = 0 ] && echo 0 || echo 1)"
done

echo "mutter: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

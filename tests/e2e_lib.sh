# e2e_lib.sh: what the end-to-end scripts of vapryx share, sourced by them. They set
# `vapryx` and `work` (and `build` and `top` for ramp), and end `vapryx_pid` on their way out.

passed=0 failed=0 vapryx_pid=

check() {  # description condition-result
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "  ok   $1"; else failed=$((failed + 1)); echo "  FAIL $1"; fi
}

wait_for() {  # seconds command...: polls until the command succeeds, for that long at most
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.1; done
}

start_vapryx() {  # args...; one a failed check left running is ended first
  if [ -n "$vapryx_pid" ]; then kill "$vapryx_pid" 2>/dev/null; wait "$vapryx_pid" 2>/dev/null; fi
  "$vapryx" "$@" > "$work/stdout" 2> "$work/stderr" < /dev/null &
  vapryx_pid=$!
}

# Waits up to $1 seconds for vapryx to end; sets exit_code, or "running".
vapryx_exit() {
  exit_code=running
  for _ in $(seq $(($1 * 10))); do
    if ! kill -0 "$vapryx_pid" 2>/dev/null; then
      wait "$vapryx_pid"; exit_code=$?; vapryx_pid=; return
    fi
    sleep 0.1
  done
}

status_is() { [ "$exit_code" = "$1" ] && echo 0 || echo 1; }  # STATUS: 0 when vapryx ended so
logged() { grep -q "$1" "$work/stderr"; }
running() { kill -0 "$vapryx_pid" 2>/dev/null; }

# The colour ramp a screenshot is checked against, as the simulator writes it.
ramp() {  # RRGGBB: $work/RRGGBB.ramp
  "$build/vapryx-sim" --resolution 640x480 --volume 5 --seed 1 --frames 0 \
    --raster "$top/tests/data/name-640x480.pgm" --color "$1" --ramp "$work/$1.ramp"
}

# e2e_lib.sh: what the end-to-end scripts of vapryx share, sourced by them. They set
# `vapryx` and `work`, and end `vapryx_pid` on their way out.

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

# e2e_lib.sh: what the end-to-end scripts of vapryx share, sourced by them. They set
# `vapryx` and `work` (and `build`, `top` and `py` for ramp and placed), and end `vapryx_pid`
# on their way out.

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

# The box around the text's bright outline in a screenshot, as "W H X Y" in $box.
bright_box() {  # PPM
  local size; size=$(sed -n 2p "$1" | tr ' ' x)
  box=$("${py:-python3}" "$top/tests/pixels.py" "$1" "$work/ffffff.ramp" "$size+0+0" |
        sed -n 's/.* bright \([0-9]*\)x\([0-9]*\)+\([0-9]*\)+\([0-9]*\) .*/\1 \2 \3 \4/p')
  [ -n "$box" ]
}
# Whether the text's box is the reference's ($reference, at 640x480, where the screen is the
# field) scaled by SCALE and moved down by TOP, within 6 field pixels (the outline flickers).
# With "within", a compositor that filters as it scales may dim some letters' outlines below
# the threshold: the box must lie within that one, at least half its width and height.
placed() {  # PPM SCALE TOP [within]
  bright_box "$1" || return 1
  awk -v s="$2" -v t="$3" -v box="$box" -v ref="$reference" -v within="${4:-}" 'BEGIN {
    split(box, b, " "); split(ref, r, " ")
    want[1] = r[1] * s; want[2] = r[2] * s; want[3] = r[3] * s; want[4] = r[4] * s + t
    slack = 6 * s
    if (within == "") {
      for (i = 1; i <= 4; ++i) if (b[i] - want[i] > slack || want[i] - b[i] > slack) exit 1
      exit 0
    }
    exit !(b[3] >= want[3] - slack && b[4] >= want[4] - slack &&
           b[3] + b[1] <= want[3] + want[1] + slack && b[4] + b[2] <= want[4] + want[2] + slack &&
           2 * b[1] >= want[1] && 2 * b[2] >= want[2])
  }'
}

# A session bus's configuration for the desktop tests: no service folders, so that nothing
# is started on demand that the test would not end by its id.
session_bus_config() {  # FILE
  cat > "$1" <<'XML'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
XML
  chmod 644 "$1"
}

#!/usr/bin/env bash
# make soak: long runs, measured (not part of make test).
#  1. The engine: SOAK_STEPS frame steps (default 100,000) in the sanitizer build; its
#     resident memory must not move from step 1,000 on.
#  2. The real vapryx.scr /s under Wine, full screen in a 1024 x 768 virtual desktop, for
#     SOAK_MINUTES (default 10). Every 30 s: its resident memory (VmRSS of its process) and
#     its live GDI objects (Wine's own count, from its gdi trace channel). From the first
#     minute on the GDI count must not change and the memory must stay within 256 kB.
# Usage: tools/soak.sh SANITIZE-BUILD WINDOWS-BUILD
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
sanitize=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
steps=${SOAK_STEPS:-100000}
minutes=${SOAK_MINUTES:-10}
interval=30
status=0

echo "== engine: $steps frame steps, sanitizer build"
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1 \
  "$sanitize/vapryx-engine-soak" "$top/tests/data/name-640x480.pgm" "$steps" || status=1

echo "== vapryx.scr /s under Wine for $minutes minutes"
export WINE_ROOT=$windows/wine-soak
source "$top/tools/wine-env.sh"
source "$top/tools/wine-display.sh"
work=$windows/soak
rm -rf "$work" && mkdir -p "$work"
saver_pid= filter_pid=
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2> /dev/null
  [ -n "$filter_pid" ] && kill "$filter_pid" 2> /dev/null
  stop_wine_display
}
trap cleanup EXIT
start_wine_display 1024x768 desktop "$work"

# Wine traces every GDI handle it makes or frees with the live count ("... 64/65536"); only
# those lines are kept.
mkfifo "$work/trace"
grep --line-buffered -oE '(allocated|freed) [A-Z_]+ 0x[0-9a-f]+ [0-9]+/' < "$work/trace" > "$work/gdi.log" &
filter_pid=$!
WINEDEBUG=+gdi wine "$windows/vapryx.scr" /s < /dev/null > /dev/null 2> "$work/trace" &
saver_pid=$!
if ! timeout 60 xdotool search --sync --onlyvisible --name '^SS_VAPRYX$' > /dev/null; then
  echo "soak: the saver window did not appear" >&2
  exit 1
fi

gdi_now() { tail -n 1 "$work/gdi.log" | sed -n 's/.* \([0-9]*\)\/$/\1/p'; }
rss_now() { awk '/^VmRSS:/ { print $2 }' "/proc/$saver_pid/status" 2> /dev/null; }
printf '%8s %12s %12s\n' seconds "resident kB" "GDI objects"
rss_low= rss_high= gdi_first= gdi_changed=0
for ((t = 0; t <= minutes * 60; t += interval)); do
  [ "$t" -gt 0 ] && sleep "$interval"
  if ! kill -0 "$saver_pid" 2> /dev/null; then
    echo "soak: the saver ended by itself after about $t s" >&2
    saver_pid=
    exit 1
  fi
  rss=$(rss_now) gdi=$(gdi_now)
  printf '%8s %12s %12s\n' "$t" "$rss" "$gdi"
  [ "$t" -lt 60 ] && continue  # warming up
  [ -z "$gdi_first" ] && gdi_first=$gdi rss_low=$rss rss_high=$rss
  [ "$gdi" != "$gdi_first" ] && gdi_changed=1
  [ "$rss" -lt "$rss_low" ] && rss_low=$rss
  [ "$rss" -gt "$rss_high" ] && rss_high=$rss
done

# A key ends it, as it would end the real thing.
exit_code=running
for _ in $(seq 15); do
  xdotool key space
  for _ in $(seq 10); do kill -0 "$saver_pid" 2> /dev/null || break; sleep 0.1; done
  if ! kill -0 "$saver_pid" 2> /dev/null; then
    wait "$saver_pid"
    exit_code=$?
    saver_pid=
    break
  fi
done

spread=$((rss_high - rss_low))
verdict="flat"
if [ "$gdi_changed" -ne 0 ] || [ "$spread" -gt 256 ] || [ "$exit_code" != 0 ]; then
  verdict="NOT FLAT"
  status=1
fi
echo "vapryx.scr: $minutes minutes, GDI objects $gdi_first $([ "$gdi_changed" = 0 ] && echo throughout || echo "at first, then changing"), resident memory $rss_low..$rss_high kB (spread $spread kB) from minute 1 on, key press exit code $exit_code: $verdict"
exit $status

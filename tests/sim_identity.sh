#!/usr/bin/env bash
# Every build runs the same engine: vapryx-sim built for Windows (run under Wine) or for
# WebAssembly (run by node) must write the same field and colour ramp, byte for byte, as
# the native build.
# Usage: sim_identity.sh WORKDIR NATIVE-SIM OTHER-SIM-COMMAND...
set -u
work=$1 native=$2; shift 2
other=("$@")
top=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work" && mkdir -p "$work" || exit 1
[ -x "$native" ] || { echo "no native vapryx-sim at $native (build the native preset first)"; exit 1; }

failures=0 passed=0
check() {  # name args...
  local name=$1; shift
  local build out
  for build in native other; do
    out=(--field "$work/$name-$build.raw" --ramp "$work/$name-$build.ramp")
    if [ $build = native ]; then "$native" "$@" "${out[@]}"; else "${other[@]}" "$@" "${out[@]}" < /dev/null; fi ||
      { failures=$((failures + 1)); echo "FAIL: $name: $build run"; return; }
  done
  for kind in raw ramp; do
    if ! cmp -s "$work/$name-native.$kind" "$work/$name-other.$kind"; then
      failures=$((failures + 1))
      echo "FAIL: $name: .$kind differs ($(cmp "$work/$name-native.$kind" "$work/$name-other.$kind" | head -1))"
      return
    fi
  done
  passed=$((passed + 1))
}
big=$top/docs/name-800x600.pgm small=$top/tests/data/name-640x480.pgm
check big-default   --size 800x600 --volume 5 --seed 1 --frames 60 --raster "$big"
check small-dense   --size 640x480 --volume 10 --seed 123456789 --frames 45 --raster "$small" --color 00ff00 --brightness 10
check big-extremes  --size 800x600 --volume -1 --seed 4294967295 --frames 20 --raster "$big" --color ff8000 --brightness 0
check small-nothing --size 640x480 --volume 0 --seed 0 --frames 0 --raster "$small" --color 102030 --brightness 3
echo "sim identity: $passed passed, $failures failed"
[ "$failures" -eq 0 ]

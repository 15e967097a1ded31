#!/usr/bin/env bash
# The shipped executable runs the cross-compiled engine: vapryx-sim built for Windows and
# run under Wine must write the same field, byte for byte, as the native build.
# Usage: sim_identity.sh WORKDIR NATIVE-SIM WINDOWS-SIM-COMMAND...
set -u
work=$1 native=$2; shift 2
windows=("$@")
top=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work" && mkdir -p "$work" || exit 1
[ -x "$native" ] || { echo "no native vapryx-sim at $native (build the native preset first)"; exit 1; }

failures=0 passed=0
check() {  # name args...
  local name=$1; shift
  "$native" "$@" --field "$work/$name-native.raw" || { failures=$((failures + 1)); echo "FAIL: $name: native run"; return; }
  "${windows[@]}" "$@" --field "$work/$name-windows.raw" < /dev/null || { failures=$((failures + 1)); echo "FAIL: $name: Windows run"; return; }
  if cmp -s "$work/$name-native.raw" "$work/$name-windows.raw"; then
    passed=$((passed + 1))
  else
    failures=$((failures + 1))
    echo "FAIL: $name: fields differ ($(cmp "$work/$name-native.raw" "$work/$name-windows.raw" | head -1))"
  fi
}
big=$top/docs/name-800x600.pgm small=$top/tests/data/name-640x480.pgm
check big-default   --size 800x600 --volume 5 --seed 1 --frames 60 --raster "$big"
check small-dense   --size 640x480 --volume 10 --seed 123456789 --frames 45 --raster "$small"
check big-extremes  --size 800x600 --volume -1 --seed 4294967295 --frames 20 --raster "$big"
check small-nothing --size 640x480 --volume 0 --seed 0 --frames 0 --raster "$small"
echo "sim identity: $passed passed, $failures failed"
[ "$failures" -eq 0 ]

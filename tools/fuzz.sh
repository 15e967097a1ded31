#!/usr/bin/env bash
# Fuzzes every target of the fuzz build for FUZZ_SECONDS seconds each (default 60), from its
# seed corpus in tests/fuzz/corpus/NAME. New interesting inputs are kept in
# build/fuzz/corpus/NAME, where the next run starts from them too; an input that crashes or
# breaks a check is written to build/fuzz/findings/NAME/ and makes the run fail.
# Usage: tools/fuzz.sh [NAME...]   (after cmake --build --preset fuzz)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build/fuzz
seconds=${FUZZ_SECONDS:-60}
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for d in "$top"/tests/fuzz/corpus/*/; do names+=("$(basename "$d")"); done
fi

failed=0
printf '%-16s %12s %10s %8s  %s\n' target executions per-second corpus findings
for name in "${names[@]}"; do
  corpus=$build/corpus/$name findings=$build/findings/$name log=$build/logs/$name.log
  mkdir -p "$corpus" "$findings" "$build/logs"
  "$build/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=30 \
    -rss_limit_mb=2048 -artifact_prefix="$findings/" "$corpus" "$top/tests/fuzz/corpus/$name" \
    > "$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  found=$(find "$findings" -type f | wc -l)
  printf '%-16s %12s %10s %8s  %s\n' "$name" "${runs:-?}" "${rate:-?}" "$(find "$corpus" -type f | wc -l)" \
    "$([ "$rc" -eq 0 ] && [ "$found" -eq 0 ] && echo none || echo "$found, see $log")"
  [ "$rc" -eq 0 ] && [ "$found" -eq 0 ] || failed=1
done
exit $failed

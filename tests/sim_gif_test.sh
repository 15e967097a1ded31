#!/usr/bin/env bash
# vapryx-sim's animated GIF and its text rendering (native build): the GIF, decoded by
# giflib on its own, has one frame per kept step, the delay asked for, loops forever, and
# its last frame is the field bytes with the ramp for colours, the same pixels as the PNG.
# Usage: sim_gif_test.sh WORKDIR VAPRYX-SIM VAPRYX-GIFCHECK
set -u
work=$1 sim=$2 gifcheck=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0 passed=0
check() {  # NAME STATUS
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL: $1"; fi
}
ok() { [ "$?" -eq 0 ] && echo 0 || echo 1; }

run=(--size 640x480 --volume 5 --seed 1)
text=(--text name --font "DejaVu Sans")
"$sim" "${run[@]}" "${text[@]}" --frames 60 --color 255,128,0 --gif all.gif --field all.raw --png all.png
check "a 60-step run with text, GIF, field and PNG" $?
summary=$("$gifcheck" all.gif all.idx all.rgb)
check "60 frames of 3 cs, looping forever, one 256-colour table ($summary)" \
  "$([ "$summary" = "size 640x480 frames 60 delays 3 loop 0 colors 256 local 0 interlaced 0" ]; ok)"
check "its last frame's indices are the field bytes" "$(cmp -s all.idx all.raw; ok)"
check "its last frame's colours are the PNG's pixels" "$(convert all.png rgb:- | cmp -s - all.rgb; ok)"

# --every 7 keeps steps 7, 14, ... 56: the last frame is the field after 56 steps.
"$sim" "${run[@]}" "${text[@]}" --frames 60 --every 7 --gif-delay 5 --gif some.gif
"$sim" "${run[@]}" "${text[@]}" --frames 56 --field 56.raw
summary=$("$gifcheck" some.gif some.idx some.rgb)
check "--every 7 of 60 steps: 8 frames of 5 cs ($summary)" \
  "$(echo "$summary" | grep -q '^size 640x480 frames 8 delays 5 loop 0 '; ok)"
check "its last frame is step 56" "$(cmp -s some.idx 56.raw; ok)"

# The text and the font make the raster: another text or another font, another field.
"$sim" "${run[@]}" --text other --font "DejaVu Sans" --frames 20 --field other.raw
"$sim" "${run[@]}" --text name --font "DejaVu Serif" --frames 20 --field serif.raw
"$sim" "${run[@]}" "${text[@]}" --frames 20 --field name.raw
check "--text and --font change the field" \
  "$(! cmp -s name.raw other.raw && ! cmp -s name.raw serif.raw && [ -s name.raw ]; ok)"

echo "sim gif: $passed passed, $failures failed"
[ "$failures" -eq 0 ]

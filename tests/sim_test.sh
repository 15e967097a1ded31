#!/usr/bin/env bash
# Checks vapryx-sim's command line: every bad input gives exit code 2, one line on stderr
# and no output file; good input gives the field file.
# Usage: sim_test.sh WORKDIR SIM-COMMAND...   (e.g. a native binary, or wine-run.sh and an .exe)
set -u
work=$1; shift
data=$(cd "$(dirname "$0")" && pwd)/data
sim=("$@")
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0 passed=0

# A PGM of W x H pixels with the given header maxval, all ink, optionally cut short.
pgm() {  # file w h maxval [bytes]
  local bytes=${5:-$(($2 * $3))}
  { printf 'P5\n%s %s\n%s\n' "$2" "$3" "$4"; head -c "$bytes" /dev/zero | tr '\0' '\377'; } > "$1"
}
pgm good.pgm 8 4 255
printf 'P5\n# a comment\n8 4\n255\n' > commented.pgm; head -c 32 /dev/zero >> commented.pgm
pgm maxval.pgm 8 4 65535
pgm short.pgm 8 4 255 31
pgm wide.pgm 804 4 255
pgm tall.pgm 8 484 255
pgm notfour.pgm 10 4 255
printf 'P2\n8 4\n255\n' > ascii.pgm
printf 'P5\n8 x\n255\n' > header.pgm
: > empty.pgm

run() {  # expected-exit description args...
  local expected=$1 what=$2; shift 2
  rm -f out.raw out.png out.gif
  "${sim[@]}" "$@" > stdout.txt 2> stderr.txt < /dev/null
  local rc=$? ok=1
  [ "$rc" -eq "$expected" ] || ok=0
  if [ "$expected" -eq 2 ]; then
    [ -e out.raw ] || [ -e out.png ] || [ -e out.gif ] && ok=0
    [ "$(grep -c . stderr.txt)" -eq 1 ] || ok=0
  fi
  if [ $ok -eq 1 ]; then
    passed=$((passed + 1))
  else
    failures=$((failures + 1))
    echo "FAIL: $what: exit $rc (expected $expected); stderr: $(head -c 300 stderr.txt)"
  fi
}

base=(--size 640x480 --volume 5 --seed 1 --frames 3)
run 2 "missing raster file"   "${base[@]}" --raster nothere.pgm --field out.raw
run 2 "empty file"            "${base[@]}" --raster empty.pgm --field out.raw
run 2 "not P5"                "${base[@]}" --raster ascii.pgm --field out.raw
run 2 "malformed header"      "${base[@]}" --raster header.pgm --field out.raw
run 2 "truncated pixels"      "${base[@]}" --raster short.pgm --field out.raw
run 2 "maxval 65535"          "${base[@]}" --raster maxval.pgm --field out.raw
run 2 "wider than the field"  "${base[@]}" --raster wide.pgm --field out.raw
grep -q 'larger than the 640x480 field' stderr.txt || { failures=$((failures + 1)); echo "FAIL: the message does not say the raster is too large: $(cat stderr.txt)"; }
run 2 "taller than the field" "${base[@]}" --raster tall.pgm --field out.raw
run 2 "width not a multiple of 4" "${base[@]}" --raster notfour.pgm --field out.raw
run 2 "unknown size"          --size 1024x768 --volume 5 --seed 1 --frames 3 --raster good.pgm --field out.raw
run 2 "volume not a number"   --size 640x480 --volume five --seed 1 --frames 3 --raster good.pgm --field out.raw
run 2 "volume beyond 32 bits" --size 640x480 --volume 4294967296 --seed 1 --frames 3 --raster good.pgm --field out.raw
run 2 "negative seed"         --size 640x480 --volume 5 --seed -1 --frames 3 --raster good.pgm --field out.raw
run 2 "negative frames"       --size 640x480 --volume 5 --seed 1 --frames -3 --raster good.pgm --field out.raw
run 2 "trailing junk"         --size 640x480 --volume 5 --seed 1 --frames 3x --raster good.pgm --field out.raw
run 2 "bad colour"            "${base[@]}" --raster good.pgm --field out.raw --color 255,0
run 2 "colour out of range"   "${base[@]}" --raster good.pgm --field out.raw --color 255,0,256
run 2 "bad brightness"        "${base[@]}" --raster good.pgm --field out.raw --brightness 1.5
run 2 "missing option value"  "${base[@]}" --raster good.pgm --field
run 2 "missing option"        --size 640x480 --volume 5 --frames 3 --raster good.pgm --field out.raw
run 2 "unknown option"        "${base[@]}" --raster good.pgm --field out.raw --speed 3
run 2 "a line break in a value" --size $'640\nx480' --volume 5 --seed 1 --frames 3 --raster good.pgm --field out.raw
run 2 "neither raster nor text" "${base[@]}" --field out.raw
run 2 "raster and text"       "${base[@]}" --raster good.pgm --text name --field out.raw
run 2 "font without text"     "${base[@]}" --raster good.pgm --font "DejaVu Sans" --field out.raw
run 2 "text raster without text" "${base[@]}" --raster good.pgm --text-raster out.pgm --field out.raw
run 2 "a GIF of no frame"     "${base[@]}" --text name --every 4 --gif out.gif
run 2 "every 0"               "${base[@]}" --text name --every 0 --gif out.gif
run 2 "GIF delay 0"           "${base[@]}" --text name --gif-delay 0 --gif out.gif
run 2 "GIF delay over 16 bits" "${base[@]}" --text name --gif-delay 65536 --gif out.gif
run 2 "raster is a directory" "${base[@]}" --raster . --field out.raw
run 2 "raster without end"    "${base[@]}" --raster /dev/zero --field out.raw
# A failed write leaves what was at the path as it was, and nothing of its own.
mkdir -p outdir
run 2 "field onto a directory" "${base[@]}" --raster good.pgm --field outdir
run 2 "field into a directory path" "${base[@]}" --raster good.pgm --field outdir/
run 2 "GIF onto a directory"  "${base[@]}" --raster good.pgm --gif outdir
run 2 "GIF kept back when the field fails" "${base[@]}" --raster good.pgm --gif out.gif --field outdir
[ -d outdir ] && [ -z "$(ls -A . | grep -v -E '^(outdir|.*\.(pgm|txt))$')" ] \
  || { failures=$((failures + 1)); echo "FAIL: a failed write removed the directory or left a file"; }
# A file the user may not write, in a folder they may: kept as it was (as an unprivileged user).
if [ "$(id -u)" -eq 0 ] && [ ${#sim[@]} -eq 1 ] && command -v setpriv > /dev/null; then
  mkdir -p shared && chmod 777 shared && echo keep > shared/out.raw && chmod 444 shared/out.raw
  chmod o+rx . && chmod o+r good.pgm
  setpriv --reuid=65534 --regid=65534 --clear-groups "${sim[@]}" "${base[@]}" --raster good.pgm \
    --field shared/out.raw > /dev/null 2> stderr.txt < /dev/null
  rc=$?
  if [ $rc -eq 2 ] && [ "$(cat shared/out.raw)" = keep ] && [ "$(ls shared)" = out.raw ]; then
    passed=$((passed + 1))
  else
    failures=$((failures + 1)); echo "FAIL: a read-only field file: exit $rc, $(ls shared | tr '\n' ' ')"
  fi
fi
run 0 "help"                  --help
grep -q -- '--brightness' stdout.txt || { failures=$((failures + 1)); echo "FAIL: help does not explain --brightness"; }

run 0 "good run"              "${base[@]}" --raster good.pgm --field out.raw
[ "$(stat -c %s out.raw 2>/dev/null)" = 307200 ] || { failures=$((failures + 1)); echo "FAIL: field file is not 640 x 480 bytes"; }
run 0 "comment in header, 32-bit extremes" --size 800x600 --volume 4294967295 --seed 4294967295 \
  --frames 2 --raster commented.pgm --field out.raw --brightness -2147483648
[ "$(stat -c %s out.raw 2>/dev/null)" = 480000 ] || { failures=$((failures + 1)); echo "FAIL: field file is not 800 x 600 bytes"; }

# The text raster --text drew is what --raster reads: the same field from either. With no
# font at all, one line and a black field.
if [ ${#sim[@]} -eq 1 ]; then
  run 0 "text raster written" "${base[@]}" --text "Vapryx" --text-raster text.pgm --field out.raw
  mv out.raw text.raw
  run 0 "text raster read back" "${base[@]}" --raster text.pgm --field out.raw
  cmp -s out.raw text.raw && head -n 2 text.pgm | tr '\n' ' ' | grep -q -x 'P5 [0-9]* 200 ' &&
    [ "$(tr -d '\0' < text.raw | wc -c)" -gt 0 ] && passed=$((passed + 1)) ||
    { failures=$((failures + 1)); echo "FAIL: the text raster does not read back to the same field"; }
  mkdir -p nofonts && echo "<fontconfig><dir>$PWD/nofonts</dir></fontconfig>" > nofonts.conf
  FONTCONFIG_FILE=$PWD/nofonts.conf run 0 "no font at all" "${base[@]}" --text "Vapryx" --field out.raw
  [ "$(grep -c 'no installed font' stderr.txt)" = 1 ] && [ "$(wc -l < stderr.txt)" = 1 ] &&
    [ "$(tr -d '\0' < out.raw | wc -c)" = 0 ] &&
    passed=$((passed + 1)) ||
    { failures=$((failures + 1)); echo "FAIL: no font: $(cat stderr.txt)"; }
fi

# What is at a path and is not a plain file (a device, a pipe, a link) is written into, never
# replaced: a field renamed over /dev/null would leave a file where the device was.
if [ ${#sim[@]} -eq 1 ]; then
  reader=
  mkfifo out.fifo && { timeout 20 head -c 400000 out.fifo > fifo.raw & reader=$!; }
  run 0 "a field into a pipe" "${base[@]}" --raster good.pgm --field out.fifo
  wait $reader
  : > target.raw && ln -s target.raw link.raw
  run 0 "a field through a link" "${base[@]}" --raster good.pgm --field link.raw
  [ -p out.fifo ] && [ "$(stat -c %s fifo.raw)" = 307200 ] && [ -L link.raw ] &&
    [ "$(stat -c %s target.raw)" = 307200 ] && passed=$((passed + 1)) ||
    { failures=$((failures + 1)); echo "FAIL: the pipe or the link was replaced, or got the wrong bytes"; }
fi

# The ramp the field's bytes index: white at brightness 5 is grey, a step short at entry 33;
# pure red reaches red 2 at entry 1 and is lightened to 255,129,129 at entry 192.
entry() { od -An -tu1 -j $((3 * $2)) -N3 "$1" | xargs; }  # file index: "r g b"
run 0 "ramp of white"         "${base[@]}" --raster good.pgm --ramp white.rgb
run 0 "ramp of red"           "${base[@]}" --raster good.pgm --ramp red.rgb --color 255,0,0
if [ "$(stat -c %s white.rgb 2>/dev/null)" = 768 ] && [ "$(entry white.rgb 33)" = "32 32 32" ] &&
   [ "$(entry white.rgb 128)" = "128 128 128" ] && [ "$(entry red.rgb 1)" = "2 0 0" ] &&
   [ "$(entry red.rgb 192)" = "255 129 129" ] && [ "$(entry red.rgb 255)" = "255 255 255" ]; then
  passed=$((passed + 1))
else
  failures=$((failures + 1)); echo "FAIL: ramp entries: $(entry white.rgb 33) / $(entry red.rgb 192)"
fi

# The field of the text raster in tests/data after many steps, as the program drew it before
# its front ends shared one seam (measured then): any change to the engine, the preparation or
# the order of random draws shows here.
cp "$data/name-640x480.pgm" name.pgm
while read -r size volume seed frames sum; do
  run 0 "field of $size, seed $seed, $frames steps" --size "$size" --volume "$volume" --seed "$seed" \
    --frames "$frames" --raster name.pgm --field out.raw
  got=$(sha256sum < out.raw 2> /dev/null | cut -c1-16)
  [ "$got" = "$sum" ] || { failures=$((failures + 1)); echo "FAIL: field of $size, seed $seed: $got, not $sum"; }
done <<'FIELDS'
640x480 5 1234 300 449af9aed50e9e76
800x600 9 7 120 fb4ba5b329a60c0a
FIELDS
echo "vapryx-sim: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
